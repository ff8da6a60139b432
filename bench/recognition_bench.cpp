// How well spoken commands are told apart from other speech and noise, over synthetic
// voices: the share of commands recognised, the share of other words and noises taken
// for a command, and how long a result takes beyond the detector's own wait.
//
// Each voice listens in turn with the commands of a few small scripts (always with
// "Cancel [Script]", as the program does), says each command and a list of other words,
// and hears silence and noise. Other words that are decoys themselves are skipped, so
// that the decoy list cannot pass the test by naming its answers.
//
//   bench_recognition [--decoys FILE] [--post FRAMES] [--threshold X]
//                     [--option NAME VALUE]... [--espeak-only] [-v]

#include "../tests/recognition/speech_fixtures.h"

#include "agent/voice/decoy_words.h"
#include "agent/voice/spoken_words.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

using pw::test::TestVoice;
using pw::voice::CommandRecogniser;

namespace {

struct Said {
    QString words;     // what the voice says
    QString expected;  // the voice text it should give
};

struct Script {
    QStringList phrases;  // voice texts, "Cancel [Script]" first
    QList<Said> commands;
};

Script script(const QStringList& words, const QString& cancel_said, const QStringList& said = {})
{
    Script s;
    s.phrases = QStringList{QStringLiteral("Cancel [Script]")} + words;
    s.commands.append({cancel_said, QStringLiteral("Cancel [Script]")});
    for (qsizetype i = 0; i < words.size(); ++i) s.commands.append({said.value(i, words[i]), words[i]});
    return s;
}

// Listening scripts a child might write: answers, things, moves, colours, numbers,
// and names the dictionary lacks.
QList<Script> scripts()
{
    return {
        script({QStringLiteral("yes"), QStringLiteral("no")}, QStringLiteral("cancel script")),
        script({QStringLiteral("apple"), QStringLiteral("banana"), QStringLiteral("orange")}, QStringLiteral("cancel")),
        script({QStringLiteral("jump"), QStringLiteral("dance"), QStringLiteral("sleep")}, QStringLiteral("cancel script")),
        script({QStringLiteral("red"), QStringLiteral("blue"), QStringLiteral("green"), QStringLiteral("purple")},
               QStringLiteral("cancel")),
        script({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("7")},
               QStringLiteral("cancel script"),
               {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("seven")}),
        script({QStringLiteral("Pellwick"), QStringLiteral("Tansy")}, QStringLiteral("cancel")),
    };
}

QStringList other_words()
{
    return {QStringLiteral("elephant"),  QStringLiteral("hello"),         QStringLiteral("tomato"),
            QStringLiteral("apricot"),   QStringLiteral("quiet"),         QStringLiteral("yellow"),
            QStringLiteral("bandana"),   QStringLiteral("good morning"),  QStringLiteral("open the door"),
            QStringLiteral("pizza"),     QStringLiteral("dinosaur"),      QStringLiteral("thank you"),
            QStringLiteral("rainbow"),   QStringLiteral("computer"),      QStringLiteral("seventy"),
            QStringLiteral("no"),        QStringLiteral("window"),        QStringLiteral("butterfly")};
}

struct Tally {
    int commands = 0, commands_right = 0;
    int others = 0, others_taken = 0;
    int silence_heard = 0;
    QList<double> latency_ms;
    QList<double> detector_ms;

    void add(const Tally& t)
    {
        commands += t.commands;
        commands_right += t.commands_right;
        others += t.others;
        others_taken += t.others_taken;
        silence_heard += t.silence_heard;
        latency_ms += t.latency_ms;
        detector_ms += t.detector_ms;
    }
};

struct Outcome {
    QString phrase;      // first heard phrase, "" for non-command speech
    QString words;       // what the decoder made of it
    bool heard = false;  // any Heard event
    double latency_ms = 0;
    double detector_ms = 0;
};

Outcome run_clip(CommandRecogniser& r, const QByteArray& clip, int post_ms, bool speech)
{
    r.restart();
    Outcome o;
    const qint64 end_ms = speech ? pw::test::speech_end_ms(clip) : 0;
    const qsizetype total = clip.size() / 2;
    const auto* s = reinterpret_cast<const qint16*>(clip.constData());
    constexpr qsizetype block = 512;  // 32 ms, a small microphone block
    for (qsizetype at = 0; at < total && !o.heard; at += block) {
        QElapsedTimer work;
        work.start();
        const auto events = r.feed(s + at, std::min(block, total - at));
        const double work_ms = double(work.nsecsElapsed()) / 1e6;
        for (const auto& e : events) {
            if (e.kind != CommandRecogniser::Event::Heard) continue;
            o.heard = true;
            o.phrase = e.phrase;
            o.words = e.words;
            // The block arrives when its last sample has been spoken; the result is
            // ready after the work on it. The detector's own wait is not counted.
            const double block_end_ms = double(std::min(at + block, total)) * 1000.0 / CommandRecogniser::sample_rate;
            o.detector_ms = block_end_ms - double(end_ms);
            o.latency_ms = std::max(0.0, o.detector_ms - post_ms) + work_ms;
            break;
        }
    }
    return o;
}

QString shown(const Outcome& o)
{
    return o.heard ? QLatin1Char('"') + o.words + QLatin1Char('"') : QStringLiteral("nothing");
}

double median(QList<double> v)
{
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double maximum(const QList<double>& v)
{
    return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end());
}

QString share(int part, int whole)
{
    return QStringLiteral("%1 % (%2/%3)").arg(whole ? 100.0 * part / whole : 0.0, 0, 'f', 1).arg(part).arg(whole);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    pw::voice::RecogniserSettings settings = pw::voice::RecogniserSettings::defaults();
    bool verbose = false, espeak_only = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == QLatin1String("--decoys") && has_value) {
            QFile f(args[++i]);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
                return 2;
            }
            settings.decoys = pw::voice::parse_decoy_list(f.readAll());
        } else if (a == QLatin1String("--post") && has_value) {
            settings.vad_postspeech_frames = args[++i].toInt();
        } else if (a == QLatin1String("--threshold") && has_value) {
            settings.vad_threshold = args[++i].toDouble();
        } else if (a == QLatin1String("--option") && i + 2 < args.size()) {
            settings.decoder_options << args[i + 1] << args[i + 2];
            i += 2;
        } else if (a == QLatin1String("--espeak-only")) {
            espeak_only = true;
        } else if (a == QLatin1String("-v")) {
            verbose = true;
        } else {
            std::fprintf(stderr, "usage: bench_recognition [--decoys FILE] [--post FRAMES] [--threshold X] "
                                 "[--option NAME VALUE]... [--espeak-only] [-v]\n");
            return 2;
        }
    }
    const int post_ms = settings.vad_postspeech_frames * 10;
    QTextStream out(stdout);

    QList<TestVoice> voices = pw::test::espeak_test_voices();
    if (!espeak_only) {
        if (pw::test::flite_installed()) voices += pw::test::flite_test_voices();
        else out << "flite is not installed: espeak-ng voices only" << Qt::endl;
    }
    QSet<QString> decoys;
    for (const QString& d : std::as_const(settings.decoys))
        decoys.insert(pw::voice::spoken_words(d).join(QLatin1Char(' ')));
    QStringList others;
    for (const QString& w : other_words()) {
        if (decoys.contains(w)) out << "skipped \"" << w << "\": it is a decoy" << Qt::endl;
        else others.append(w);
    }
    out << QStringLiteral("%1 decoys; detector end wait %2 ms, threshold %3")
               .arg(settings.decoys.size()).arg(post_ms).arg(settings.vad_threshold)
        << Qt::endl;

    Tally all, all_espeak, all_flite;
    for (const TestVoice& v : voices) {
        auto r = pw::test::fresh_recogniser({}, settings);
        if (!r) return 1;
        // Speech is made once per voice; silence and noise once for all.
        QHash<QString, QByteArray> clips;
        const auto clip = [&](const QString& words) {
            auto it = clips.find(words);
            if (it == clips.end()) it = clips.insert(words, pw::test::spoken(v, words));
            return *it;
        };
        const QList<std::pair<QString, QByteArray>> sounds = {
            {QStringLiteral("[noise]"), pw::test::white_noise(2000, 0.05, 7)},
            {QStringLiteral("[soft noise]"), pw::test::white_noise(2000, 0.02, 8)},
            {QStringLiteral("[noisy hello]"),
             pw::test::mixed(clip(QStringLiteral("hello")), pw::test::white_noise(3000, 0.03, 9))}};

        Tally t;
        QStringList misses, taken;
        for (const Script& s : scripts()) {
            r->listen_for(s.phrases);
            // Silence must give nothing at all, not even an empty command.
            if (run_clip(*r, pw::test::silence(2000), post_ms, false).heard) ++t.silence_heard;
            const QSet<QString> own(s.phrases.begin(), s.phrases.end());
            for (const Said& said : s.commands) {
                const Outcome o = run_clip(*r, clip(said.words), post_ms, true);
                ++t.commands;
                if (o.heard && o.phrase == said.expected) ++t.commands_right;
                else misses << QStringLiteral("%1->%2").arg(said.words, shown(o));
                if (o.heard) {
                    t.latency_ms << o.latency_ms;
                    t.detector_ms << o.detector_ms;
                }
                if (verbose) out << "  " << v.label() << ": " << said.words << " -> " << shown(o) << Qt::endl;
            }
            QList<std::pair<QString, QByteArray>> outside = sounds;
            for (const QString& w : std::as_const(others))
                if (!own.contains(w)) outside.prepend({w, clip(w)});
            for (const auto& [name, audio] : outside) {
                const Outcome o = run_clip(*r, audio, post_ms, !name.startsWith(QLatin1Char('[')));
                ++t.others;
                if (o.heard && !o.phrase.isEmpty()) {
                    ++t.others_taken;
                    taken << QStringLiteral("%1->%2").arg(name, shown(o));
                }
                if (verbose) out << "  " << v.label() << ": " << name << " -> " << shown(o) << Qt::endl;
            }
        }
        out << QStringLiteral("%1 commands %2  others taken %3")
                   .arg(v.label() + QLatin1Char(':'), -24)
                   .arg(share(t.commands_right, t.commands), -18)
                   .arg(share(t.others_taken, t.others))
            << Qt::endl;
        if (!misses.isEmpty()) out << "    missed: " << misses.join(QStringLiteral(" ")) << Qt::endl;
        if (!taken.isEmpty()) out << "    taken:  " << taken.join(QStringLiteral(" ")) << Qt::endl;
        all.add(t);
        (v.engine == TestVoice::Flite ? all_flite : all_espeak).add(t);
    }

    out << Qt::endl;
    for (const auto& [name, t] : {std::pair<const char*, const Tally&>{"espeak-ng voices", all_espeak},
                                  std::pair<const char*, const Tally&>{"flite voices", all_flite}})
        if (t.commands)
            out << QStringLiteral("%1 commands %2  others taken %3")
                       .arg(QString::fromLatin1(name) + QLatin1Char(':'), -24)
                       .arg(share(t.commands_right, t.commands), -18)
                       .arg(share(t.others_taken, t.others))
                << Qt::endl;
    out << Qt::endl
        << "commands recognised:        " << share(all.commands_right, all.commands) << ", goal >= 90 %" << Qt::endl
        << "others taken for a command: " << share(all.others_taken, all.others) << ", goal <= 10 %" << Qt::endl
        << "silence heard as speech:    " << all.silence_heard << " times" << Qt::endl
        << QStringLiteral("latency beyond the detector's %1 ms: median %2 ms, max %3 ms (goal <= 300 ms)")
               .arg(post_ms).arg(median(all.latency_ms), 0, 'f', 0).arg(maximum(all.latency_ms), 0, 'f', 0)
        << Qt::endl
        << QStringLiteral("end of speech to result: median %1 ms, max %2 ms")
               .arg(median(all.detector_ms), 0, 'f', 0).arg(maximum(all.detector_ms), 0, 'f', 0)
        << Qt::endl;
    return 0;
}
