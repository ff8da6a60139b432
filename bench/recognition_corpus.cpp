#include "recognition_corpus.h"

#include "agent/acs/wav_audio.h"
#include "agent/voice/mono_resampler.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace pw::bench {

namespace {

constexpr int rate = voice::CommandRecogniser::sample_rate;

bool run_sox(const QStringList& arguments)
{
    QProcess sox;
    sox.start(QStringLiteral("sox"), arguments);
    if (!sox.waitForFinished(300000) || sox.exitStatus() != QProcess::NormalExit || sox.exitCode() != 0) {
        qWarning().noquote() << "sox" << arguments.join(QLatin1Char(' ')) << "failed:" << sox.readAllStandardError();
        return false;
    }
    return true;
}

QByteArray read_clip(const QString& path)
{
    try {
        return voice::to_recogniser_audio(acs::decode_wav_file(path));
    } catch (...) {
        return {};
    }
}

const QStringList raw_format = {QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"), QStringLiteral("1"),
                                QStringLiteral("-b"), QStringLiteral("16")};

}  // namespace

WordList WordList::read(const QString& path, QString* error)
{
    WordList list;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return list;
    }
    static const QRegularExpression line_rx(QStringLiteral("^(held-out|tuning)\\s+(\\w+):(.*)$"));
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const auto m = line_rx.match(line);
        if (!m.hasMatch()) {
            if (error) *error = QStringLiteral("%1: cannot read the line \"%2\"").arg(path, line);
            return {};
        }
        const QString items = m.captured(3);
        const QStringList texts = items.contains(QLatin1Char(','))
                                      ? items.split(QLatin1Char(','), Qt::SkipEmptyParts)
                                      : items.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& t : texts)
            if (!t.trimmed().isEmpty())
                list.entries.append({t.trimmed(), m.captured(2), m.captured(1) == QLatin1String("held-out")});
    }
    return list;
}

QList<WordList::Entry> WordList::of_set(bool held_out) const
{
    QList<Entry> out;
    for (const Entry& e : entries)
        if (e.held_out == held_out) out.append(e);
    return out;
}

QList<Perturbation> perturbations()
{
    // Children speak higher (shorter vocal tracts raise the formants as well as the
    // pitch, which sox's pitch shift does together), at their own pace, and rarely
    // into a close microphone in a quiet room.
    const QString s = QStringLiteral("-s");
    return {
        {QStringLiteral("clean"), {}, 1.0, 0},
        {QStringLiteral("higher"), {QStringLiteral("pitch"), QStringLiteral("400")}, 1.0, 0},
        {QStringLiteral("faster"), {QStringLiteral("tempo"), s, QStringLiteral("1.25")}, 1.25, 0},
        {QStringLiteral("slower"), {QStringLiteral("tempo"), s, QStringLiteral("0.8")}, 0.8, 0},
        {QStringLiteral("room"),
         {QStringLiteral("gain"), QStringLiteral("-3"), QStringLiteral("reverb"), QStringLiteral("40"),
          QStringLiteral("50"), QStringLiteral("50")},
         1.0, 0.03},
        {QStringLiteral("child"),
         {QStringLiteral("pitch"), QStringLiteral("400"), QStringLiteral("tempo"), s, QStringLiteral("0.85"),
          QStringLiteral("gain"), QStringLiteral("-3"), QStringLiteral("reverb"), QStringLiteral("30"),
          QStringLiteral("50"), QStringLiteral("40")},
         0.85, 0.02},
    };
}

bool sox_installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty();
}

VoiceClips::VoiceClips(test::TestVoice voice, QString cache_dir)
    : voice_(std::move(voice)), dir_(std::move(cache_dir))
{
}

QString VoiceClips::cached_path(const QString& text) const
{
    const QByteArray key = QCryptographicHash::hash((voice_.label() + QLatin1Char('|') + text).toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    return QDir(dir_).filePath(QString::fromLatin1(key) + QStringLiteral(".raw"));
}

bool VoiceClips::prepare(const QStringList& texts)
{
    QDir().mkpath(dir_);
    for (const QString& text : texts) {
        if (clean_.contains(text)) continue;
        QFile cached(cached_path(text));
        QByteArray clip;
        if (cached.open(QIODevice::ReadOnly)) {
            clip = cached.readAll();
        } else {
            clip = test::spoken(voice_, text);
            if (clip.isEmpty()) return false;
            QFile out(cached_path(text));
            if (out.open(QIODevice::WriteOnly)) out.write(clip);
        }
        clean_.insert(text, clip);
    }
    return true;
}

QHash<QString, QByteArray> VoiceClips::under(const Perturbation& p) const
{
    if (p.sox_effects.isEmpty() && p.noise_volume == 0) return clean_;
    // One sox pass over all clips laid end to end; each clip has a second of silence
    // after it, so echoes and the tempo change stay inside its own stretch. The order
    // is fixed, so that the result can be kept and found again by its recipe.
    QStringList texts = clean_.keys();
    texts.sort();
    QByteArray joined;
    QList<std::pair<QString, std::pair<qsizetype, qsizetype>>> spans;
    QCryptographicHash recipe(QCryptographicHash::Sha1);
    recipe.addData((voice_.label() + p.sox_effects.join(QLatin1Char(' '))).toUtf8());
    recipe.addData(QByteArray::number(p.tempo) + ' ' + QByteArray::number(p.noise_volume));
    for (const QString& text : std::as_const(texts)) {
        const QByteArray& clip = clean_[text];
        spans.append({text, {joined.size() / 2, clip.size() / 2}});
        joined += clip;
        recipe.addData(text.toUtf8() + '|' + QByteArray::number(clip.size()));
    }
    const QString kept = QDir(dir_).filePath(p.name + QLatin1Char('-') +
                                             QString::fromLatin1(recipe.result().toHex().left(16)) +
                                             QStringLiteral(".raw"));
    QByteArray all;
    QFile cached(kept);
    if (cached.open(QIODevice::ReadOnly)) all = cached.readAll();
    else all = run_effects(joined, p);
    if (all.isEmpty()) return {};
    if (!cached.isOpen()) {
        QFile out(kept);
        if (out.open(QIODevice::WriteOnly)) out.write(all);
    }
    const qsizetype total = all.size() / 2;
    QHash<QString, QByteArray> out;
    for (const auto& [text, span] : spans) {
        const qsizetype from = std::min(total, qsizetype(std::llround(double(span.first) / p.tempo)));
        const qsizetype length = qsizetype(std::llround(double(span.second) / p.tempo));
        out.insert(text, all.mid(from * 2, std::min(length, total - from) * 2));
    }
    return out;
}

QByteArray VoiceClips::run_effects(const QByteArray& joined, const Perturbation& p)
{
    QTemporaryDir tmp;
    const QString in = tmp.filePath(QStringLiteral("in.wav"));
    const QString changed = tmp.filePath(QStringLiteral("changed.wav"));
    if (!test::write_wav(joined, in) || !run_sox(QStringList{in} + raw_format + QStringList{changed} + p.sox_effects))
        return {};
    QString result = changed;
    if (p.noise_volume > 0) {
        const QByteArray voice_part = read_clip(changed);
        const QString noise = tmp.filePath(QStringLiteral("noise.wav"));
        result = tmp.filePath(QStringLiteral("noisy.wav"));
        const QString seconds = QString::number(double(voice_part.size() / 2) / rate + 1.0, 'f', 3);
        if (!run_sox(QStringList{QStringLiteral("-n")} + raw_format +
                     QStringList{noise, QStringLiteral("synth"), seconds, QStringLiteral("pinknoise"),
                                 QStringLiteral("vol"), QString::number(p.noise_volume)}) ||
            !run_sox({QStringLiteral("-m"), QStringLiteral("-v"), QStringLiteral("1"), changed, QStringLiteral("-v"),
                      QStringLiteral("1"), noise, result, QStringLiteral("trim"), QStringLiteral("0"),
                      QString::number(double(voice_part.size() / 2) / rate, 'f', 4)}))
            return {};
    }
    return read_clip(result);
}

QList<std::pair<QString, QByteArray>> noises(const QString& cache_dir)
{
    const QList<std::pair<QString, QString>> kinds = {
        {QStringLiteral("[white noise]"), QStringLiteral("synth 2 whitenoise vol 0.05")},
        {QStringLiteral("[soft white noise]"), QStringLiteral("synth 2 whitenoise vol 0.02")},
        {QStringLiteral("[pink noise]"), QStringLiteral("synth 2 pinknoise vol 0.1")},
        {QStringLiteral("[rumble]"), QStringLiteral("synth 2 brownnoise vol 0.3")},
        {QStringLiteral("[hum]"), QStringLiteral("synth 2 sine 120 vol 0.1")},
        {QStringLiteral("[whistle]"), QStringLiteral("synth 1.2 sine 700-1400 vol 0.2")},
        {QStringLiteral("[taps]"), QStringLiteral("synth 0.04 whitenoise vol 0.6 fade 0 0.04 0.03 pad 0 0.35 repeat 3")},
        {QStringLiteral("[knocks]"), QStringLiteral("synth 0.08 brownnoise vol 0.9 fade 0 0.08 0.07 pad 0 0.3 repeat 2")},
        {QStringLiteral("[breath]"), QStringLiteral("synth 1 pinknoise vol 0.2 lowpass 1200 fade h 0.3 1 0.5")},
        {QStringLiteral("[rustle]"), QStringLiteral("synth 1.5 whitenoise vol 0.08 highpass 2000 tremolo 6 80")},
    };
    QList<std::pair<QString, QByteArray>> out;
    QDir().mkpath(cache_dir);
    for (const auto& [name, recipe] : kinds) {
        const QString path = QDir(cache_dir).filePath(
            QString::fromLatin1(QCryptographicHash::hash(recipe.toUtf8(), QCryptographicHash::Sha1).toHex().left(12)) +
            QStringLiteral(".wav"));
        if (!QFile::exists(path) &&
            !run_sox(QStringList{QStringLiteral("-n")} + raw_format + QStringList{path} +
                     recipe.split(QLatin1Char(' ')) + QStringList{QStringLiteral("pad"), QStringLiteral("0.3"),
                                                                  QStringLiteral("1")}))
            continue;
        const QByteArray clip = read_clip(path);
        if (!clip.isEmpty()) out.append({name, clip});
    }
    return out;
}

}  // namespace pw::bench
