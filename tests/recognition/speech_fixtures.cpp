#include "speech_fixtures.h"

#include "agent/voice/espeak_engine.h"
#include "agent/voice/mono_resampler.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <random>

namespace pw::test {

using voice::CommandRecogniser;

namespace {

constexpr int rate = CommandRecogniser::sample_rate;

qsizetype samples_for(int ms)
{
    return qsizetype(ms) * rate / 1000;
}

const qint16* as_samples(const QByteArray& clip)
{
    return reinterpret_cast<const qint16*>(clip.constData());
}

QByteArray spoken_by_espeak(const TestVoice& v, const QString& text)
{
    voice::VoiceSettings settings;
    settings.voice = v.voice;
    settings.pitch = v.pitch;
    settings.rate = v.rate;
    const std::optional<voice::SpeechClip> clip = voice::espeak::synthesize(text, settings);
    if (!clip) return {};
    return voice::to_recogniser_audio(clip->audio);
}

QByteArray spoken_by_flite(const TestVoice& v, const QString& text)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("said.wav"));
    QProcess flite;
    flite.start(QStringLiteral("flite"), {QStringLiteral("-voice"), v.voice, QStringLiteral("-t"), text,
                                          QStringLiteral("-o"), path});
    if (!flite.waitForFinished(30000) || flite.exitCode() != 0) return {};
    try {
        return voice::to_recogniser_audio(acs::decode_wav_file(path));
    } catch (...) {
        return {};
    }
}

}  // namespace

QString TestVoice::label() const
{
    if (engine == Flite) return QStringLiteral("flite ") + voice;
    return QStringLiteral("espeak %1 p%2").arg(voice).arg(pitch);
}

bool flite_installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("flite")).isEmpty();
}

QList<TestVoice> flite_test_voices()
{
    if (!flite_installed()) return {};
    QList<TestVoice> out;
    for (const char* name : {"kal16", "awb", "rms", "slt"})
        out.append(TestVoice{TestVoice::Flite, QString::fromLatin1(name), 50, 175});
    return out;
}

QByteArray spoken(const TestVoice& voice, const QString& text, int lead_ms, int tail_ms)
{
    const QByteArray speech = voice.engine == TestVoice::Flite ? spoken_by_flite(voice, text)
                                                               : spoken_by_espeak(voice, text);
    if (speech.isEmpty()) return {};
    return silence(lead_ms) + speech + silence(tail_ms);
}

acs::PcmAudio tone(int rate, int channels, double hz, int ms, double amplitude)
{
    acs::PcmAudio a;
    a.sample_rate = rate;
    a.channels = channels;
    const qsizetype frames = qsizetype(rate) * ms / 1000;
    a.samples.resize(frames * channels * 2);
    auto* s = reinterpret_cast<qint16*>(a.samples.data());
    for (qsizetype f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            s[f * channels + c] = qint16(std::lround(amplitude * std::sin(2 * M_PI * hz * double(f) / rate)));
    return a;
}

QByteArray silence(int ms)
{
    return QByteArray(samples_for(ms) * 2, '\0');
}

QByteArray white_noise(int ms, double amplitude, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(-1.0, 1.0);
    QByteArray out(samples_for(ms) * 2, Qt::Uninitialized);
    auto* s = reinterpret_cast<qint16*>(out.data());
    for (qsizetype i = 0; i < samples_for(ms); ++i) s[i] = qint16(std::lround(spread(random) * amplitude * 32767));
    return out;
}

QByteArray mixed(const QByteArray& a, const QByteArray& b)
{
    QByteArray out = a.size() >= b.size() ? a : b;
    const QByteArray& other = a.size() >= b.size() ? b : a;
    auto* o = reinterpret_cast<qint16*>(out.data());
    const qint16* s = as_samples(other);
    for (qsizetype i = 0; i < other.size() / 2; ++i) o[i] = qint16(std::clamp(int(o[i]) + int(s[i]), -32768, 32767));
    return out;
}

qint64 speech_end_ms(const QByteArray& clip)
{
    const qint16* s = as_samples(clip);
    const qsizetype block = samples_for(10);
    const qsizetype blocks = clip.size() / 2 / block;
    qint64 last_loud = 0;
    for (qsizetype b = 0; b < blocks; ++b) {
        double energy = 0;
        for (qsizetype i = 0; i < block; ++i) energy += double(s[b * block + i]) * s[b * block + i];
        if (std::sqrt(energy / double(block)) > 300.0) last_loud = (b + 1) * 10;
    }
    return last_loud;
}

bool write_wav(const QByteArray& clip, const QString& path)
{
    acs::PcmAudio audio;
    audio.sample_rate = rate;
    audio.channels = 1;
    audio.samples = clip;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        for (qsizetype i = 0; i + 1 < audio.samples.size(); i += 2) std::swap(audio.samples[i], audio.samples[i + 1]);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(acs::encode_wav(audio)) > 0;
}

QList<CommandRecogniser::Event> feed(CommandRecogniser& r, const QByteArray& clip, int block_samples)
{
    QList<CommandRecogniser::Event> events;
    const qsizetype total = clip.size() / 2;
    for (qsizetype at = 0; at < total; at += block_samples)
        events += r.feed(as_samples(clip) + at, std::min<qsizetype>(block_samples, total - at));
    return events;
}

QStringList heard_phrases(const QList<CommandRecogniser::Event>& events)
{
    QStringList out;
    for (const CommandRecogniser::Event& e : events) {
        if (e.kind == CommandRecogniser::Event::Heard) out.append(e.phrase);
        if (e.kind == CommandRecogniser::Event::NothingHeard) out.append(QStringLiteral("-"));
    }
    return out;
}

std::unique_ptr<CommandRecogniser> fresh_recogniser(const QStringList& phrases, voice::RecogniserSettings settings)
{
    QString why;
    std::unique_ptr<CommandRecogniser> r = CommandRecogniser::create(settings, &why);
    if (!r) qWarning().noquote() << "No recogniser:" << why;
    else r->listen_for(phrases);
    return r;
}

}  // namespace pw::test
