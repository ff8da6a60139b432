// The recogniser alone on clips named in a list, so that the whole program and its
// recogniser can be compared on the very same audio (bench/listening_e2e.py writes the
// list and runs this beside the program).
//
// Each line of the list: clip path (16 kHz mono wave), a tab, the words listened for
// separated by "|" as a script writes them after "listen=". Each line prints one line:
// the phrase heard, "" for speech outside the commands, or "-" for nothing heard.
// The clip is fed in the microphone's blocks and hearing stops at the first result,
// as bench_recognition does; one recogniser hears every clip, or with --fresh, a new
// one each clip (as the first clip of a program run is heard).
//
// --tune warp V (one or more) replaces the built-in warps. --decoys FILE listens with
// that decoy list instead of the built-in one; --why writes each clip's path and what
// the decoder made of it to stderr.
//
//   bench_recognition_clips LIST [--fresh] [--block-ms N] [--tune NAME VALUE]... [--decoder -NAME VALUE]...
//                           [--decoys FILE] [--why]

#include "agent/acs/wav_audio.h"
#include "agent/voice/command_recogniser.h"
#include "agent/voice/decoy_words.h"
#include "agent/voice/microphone.h"
#include "agent/voice/mono_resampler.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

using pw::voice::CommandRecogniser;

namespace {

QString heard(CommandRecogniser& r, const QByteArray& clip, qsizetype block, QString* words)
{
    r.restart();
    const auto* s = reinterpret_cast<const qint16*>(clip.constData());
    const qsizetype total = clip.size() / 2;
    // The recording is followed by silence, as the microphone that plays it gives.
    const std::vector<qint16> quiet(size_t(block), 0);
    for (qsizetype at = 0; at < total + r.sample_rate * 12; at += block) {
        const auto events = at < total ? r.feed(s + at, std::min(block, total - at)) : r.feed(quiet.data(), block);
        for (const auto& e : events) {
            if (e.kind == CommandRecogniser::Event::Heard) {
                *words = e.words;
                return QLatin1Char('"') + e.phrase + QLatin1Char('"');
            }
            if (e.kind == CommandRecogniser::Event::NothingHeard) return QStringLiteral("-");
        }
    }
    return QStringLiteral("-");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString list_path;
    bool fresh = false;
    bool show_words = false;
    QString decoys_path;
    int block_ms = pw::voice::microphone_block_ms;
    QByteArray tuning;
    QStringList decoder_options;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--fresh")) fresh = true;
        else if (args[i] == QLatin1String("--why")) show_words = true;
        else if (args[i] == QLatin1String("--decoys") && i + 1 < args.size()) decoys_path = args[++i];
        else if (args[i] == QLatin1String("--tune") && i + 2 < args.size()) {
            tuning += '\n' + (args[i + 1] + QLatin1Char(' ') + args[i + 2]).toUtf8();
            i += 2;
        }
        else if (args[i] == QLatin1String("--decoder") && i + 2 < args.size()) {
            decoder_options << args[i + 1] << args[i + 2];
            i += 2;
        }
        else if (args[i] == QLatin1String("--block-ms") && i + 1 < args.size()) block_ms = std::max(1, args[++i].toInt());
        else if (list_path.isEmpty()) list_path = args[i];
        else list_path.clear();
    }
    QFile list(list_path);
    if (list_path.isEmpty() || !list.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: bench_recognition_clips LIST [--fresh] [--block-ms N] [--tune NAME VALUE]... "
                             "[--decoder -NAME VALUE]... [--decoys FILE] [--why]\n");
        return 2;
    }
    QTextStream out(stdout);
    const qsizetype block = qsizetype(CommandRecogniser::sample_rate) * block_ms / 1000;
    pw::voice::RecogniserSettings settings = pw::voice::RecogniserSettings::defaults();
    settings.decoder_options = decoder_options;
    if (!decoys_path.isEmpty()) {
        QFile decoys(decoys_path);
        if (!decoys.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(decoys_path));
            return 2;
        }
        settings.decoys = pw::voice::parse_decoy_list(decoys.readAll());
    }
    if (!tuning.isEmpty()) {
        QFile built_in(QStringLiteral(":/speech/listening.txt"));
        QByteArray text = built_in.open(QIODevice::ReadOnly) ? built_in.readAll() : QByteArray();
        // Warps given here replace the built-in ones instead of adding passes to them.
        if (tuning.contains("\nwarp ")) {
            QList<QByteArray> kept;
            for (const QByteArray& line : text.split('\n'))
                if (!line.startsWith("warp ")) kept << line;
            text = kept.join('\n');
        }
        QString problems;
        settings.tuning = pw::voice::parse_listening_tuning(text + tuning, &problems);
        if (!problems.isEmpty()) {
            std::fprintf(stderr, "listening settings: %s\n", qPrintable(problems));
            return 2;
        }
    }
    std::unique_ptr<CommandRecogniser> shared;
    for (const QByteArray& raw : list.readAll().split('\n')) {
        const QList<QByteArray> fields = raw.trimmed().split('\t');
        if (fields.size() != 2) continue;
        QByteArray clip;
        try {
            clip = pw::voice::to_recogniser_audio(pw::acs::decode_wav_file(QString::fromUtf8(fields[0])));
        } catch (...) {
            out << "?" << Qt::endl;
            continue;
        }
        std::unique_ptr<CommandRecogniser> own;
        if (fresh || !shared) {
            QString why;
            (fresh ? own : shared) = CommandRecogniser::create(settings, &why);
            if (!(fresh ? own : shared)) {
                std::fprintf(stderr, "no recogniser: %s\n", qPrintable(why));
                return 1;
            }
        }
        CommandRecogniser& r = fresh ? *own : *shared;
        QStringList phrases{QStringLiteral("Cancel [Script]")};
        for (const QByteArray& w : fields[1].split('|')) phrases << QString::fromUtf8(w);
        r.listen_for(phrases);
        QString words;
        out << heard(r, clip, block, &words) << Qt::endl;
        if (show_words) std::fprintf(stderr, "%s\t%s\n", fields[0].constData(), qPrintable(words));
    }
    return 0;
}
