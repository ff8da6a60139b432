// How well the words a script listens for are heard, and how well everything else is
// turned away, on words no setting was tuned with.
//
// The words come from recognition_words.txt, split once at random into tuning and
// held-out words; the numbers that count are the held-out ones. Each voice (espeak-ng
// and flite) says every word, clean and made child-like with sox. A script listens the
// way the program does: for "Cancel [Script]" and its own words, here one word (the
// common `waitfor listen=WORD`) or four. Each of its words is said once, and a few
// other words, phrases and noises drawn at random: a command is right only when
// exactly its word is heard, and anything else is wrong when it is taken for any
// command, "Cancel" included.
//
//   bench_recognition [--set held-out|tuning] [--voices all|espeak|flite]
//                     [--perturb clean,higher,...] [--sizes 1,4] [--others K]
//                     [--targets N] [--jobs N] [--cache DIR] [--words FILE]
//                     [--decoys FILE] [--listening FILE] [--tune NAME VALUE]...
//                     [--option NAME VALUE]... [--block-ms MS] [-v]
//
// --block-ms feeds the audio in blocks of that many ms instead of the microphone's own,
// to see what another block size would do to the delay after speech.

#include "recognition_corpus.h"

#include "agent/voice/decoy_words.h"
#include "agent/voice/microphone.h"
#include "agent/voice/spoken_words.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <list>
#include <memory>
#include <random>

#ifndef PW_BENCH_WORDS
#define PW_BENCH_WORDS "recognition_words.txt"
#endif

using pw::bench::Perturbation;
using pw::bench::VoiceClips;
using pw::bench::WordList;
using pw::test::TestVoice;
using pw::voice::CommandRecogniser;

namespace {

const QString cancel_phrase = QStringLiteral("Cancel [Script]");

struct Options {
    bool held_out = true;
    QString voices = QStringLiteral("all");
    QStringList perturb;
    QList<int> sizes{1, 4};
    int others = 4;
    int targets = 0;
    int jobs = 1;
    int block_ms = pw::voice::microphone_block_ms;
    bool verbose = false;
    QString cache = QDir::temp().filePath(QStringLiteral("pellworks-recognition-clips"));
    QString words = QStringLiteral(PW_BENCH_WORDS);
};

struct Tally {
    int commands = 0, commands_right = 0;
    int others = 0, others_taken = 0;
    int cancels = 0, cancels_right = 0;
    double cpu_ms = 0, audio_ms = 0;
    QList<double> latency_ms;

    void add(const Tally& t)
    {
        commands += t.commands;
        commands_right += t.commands_right;
        others += t.others;
        others_taken += t.others_taken;
        cancels += t.cancels;
        cancels_right += t.cancels_right;
        cpu_ms += t.cpu_ms;
        audio_ms += t.audio_ms;
        latency_ms += t.latency_ms;
    }
};

struct Outcome {
    QString phrase;  // first heard phrase, "" for non-command speech
    QString words;   // what the decoder made of it
    bool heard = false;
};

double thread_cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Feeds a clip as a microphone would and stops at the first result.
Outcome run_clip(CommandRecogniser& r, const QByteArray& clip, int post_ms, int block_ms, Tally& t)
{
    r.restart();
    Outcome o;
    const qint64 end_ms = pw::test::speech_end_ms(clip);
    const qsizetype total = clip.size() / 2;
    const auto* s = reinterpret_cast<const qint16*>(clip.constData());
    const qsizetype block = qsizetype(CommandRecogniser::sample_rate) * block_ms / 1000;
    for (qsizetype at = 0; at < total && !o.heard; at += block) {
        const double before = thread_cpu_ms();
        const auto events = r.feed(s + at, std::min(block, total - at));
        const double work_ms = thread_cpu_ms() - before;
        t.cpu_ms += work_ms;
        t.audio_ms += double(std::min(block, total - at)) * 1000.0 / CommandRecogniser::sample_rate;
        for (const auto& e : events) {
            if (e.kind != CommandRecogniser::Event::Heard) continue;
            o.heard = true;
            o.phrase = e.phrase;
            o.words = e.words;
            // The block arrives when its last sample has been spoken; the result is
            // ready after the work on it. The detector's own wait is not counted.
            const double block_end_ms = double(std::min(at + block, total)) * 1000.0 / CommandRecogniser::sample_rate;
            if (end_ms > 0) t.latency_ms << std::max(0.0, block_end_ms - double(end_ms) - post_ms) + work_ms;
            break;
        }
    }
    return o;
}

QString shown(const Outcome& o)
{
    return o.heard ? QLatin1Char('"') + o.words + QLatin1Char('"') : QStringLiteral("nothing");
}

QString share(int part, int whole)
{
    return whole ? QStringLiteral("%1 % (%2/%3)").arg(100.0 * part / whole, 5, 'f', 1).arg(part).arg(whole)
                 : QStringLiteral("-");
}

double percentile(QList<double> v, double p)
{
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, qsizetype(p * double(v.size())))];
}

struct Condition {
    TestVoice voice;
    Perturbation perturbation;
};

struct Key {
    int size;
    QString family;
    QString perturbation;
    bool operator<(const Key& o) const
    {
        return std::tie(size, family, perturbation) < std::tie(o.size, o.family, o.perturbation);
    }
};

class Evaluation {
public:
    Evaluation(const Options& options, const pw::voice::RecogniserSettings& settings, QList<WordList::Entry> set,
               QList<std::pair<QString, QByteArray>> noise)
        : options_(options), settings_(settings), set_(std::move(set)), noise_(std::move(noise))
    {
    }

    // One voice under one perturbation, on a recogniser of its own.
    void run(const Condition& c, const QHash<QString, QByteArray>& clips)
    {
        auto r = pw::test::fresh_recogniser({}, settings_);
        if (!r) return;
        const int post_ms = settings_.vad_postspeech_frames * 10;
        const QString family = c.voice.engine == TestVoice::Flite ? QStringLiteral("flite") : QStringLiteral("espeak");
        const QString label = c.voice.label() + QLatin1Char('/') + c.perturbation.name;
        // Seeded by the voice alone, and the same in every run (qHash is seeded anew for
        // each process), so that settings and perturbations meet the same words.
        uint32_t seed = 2166136261u;
        for (const char byte : c.voice.label().toUtf8()) seed = (seed ^ uint8_t(byte)) * 16777619u;
        std::mt19937 random(seed);

        QStringList targets;
        QList<std::pair<QString, QByteArray>> pool = noise_;
        for (const WordList::Entry& e : set_) {
            if (!e.phrase_only()) targets.append(e.text);
            pool.append({e.text, clips.value(e.text)});
        }
        // Several children talking at once.
        for (int i = 0; i + 2 < pool.size() && i < 6; i += 3) {
            const QByteArray& a = clips.value(set_[i].text);
            const QByteArray& b = clips.value(set_[i + 1].text);
            const QByteArray& d = clips.value(set_[i + 2].text);
            pool.append({QStringLiteral("[babble]"),
                         pw::test::mixed(pw::test::mixed(a, pw::test::silence(150) + b), pw::test::silence(300) + d)});
        }
        std::shuffle(targets.begin(), targets.end(), random);
        if (options_.targets > 0 && targets.size() > options_.targets) targets.resize(options_.targets);

        QStringList notes;
        for (int size : options_.sizes) {
            Tally t;
            for (qsizetype g = 0; g + size <= targets.size(); g += size) {
                const QStringList words = targets.mid(g, size);
                r->listen_for(QStringList{cancel_phrase} + words);
                for (const QString& w : words) {
                    const Outcome o = run_clip(*r, clips.value(w), post_ms, options_.block_ms, t);
                    ++t.commands;
                    if (o.heard && o.phrase == w) ++t.commands_right;
                    else notes << QStringLiteral("%1 missed %2 -> %3").arg(label, w, shown(o));
                }
                // "Cancel [Script]" is heard whatever the script listens for, said in full.
                if (g % (size * 8) == 0) {
                    for (const QString& said : {QStringLiteral("cancel script")}) {
                        if (!clips.contains(said)) continue;
                        const Outcome o = run_clip(*r, clips.value(said), post_ms, options_.block_ms, t);
                        ++t.cancels;
                        if (o.phrase == cancel_phrase) ++t.cancels_right;
                        else notes << QStringLiteral("%1 missed %2 -> %3").arg(label, said, shown(o));
                    }
                }
                for (int k = 0; k < options_.others;) {
                    const auto& [name, clip] = pool[qsizetype(random() % uint32_t(pool.size()))];
                    if (words.contains(name) || clip.isEmpty()) continue;
                    ++k;
                    const Outcome o = run_clip(*r, clip, post_ms, options_.block_ms, t);
                    ++t.others;
                    if (o.heard && !o.phrase.isEmpty()) {
                        ++t.others_taken;
                        notes << QStringLiteral("%1 took %2 for %3 [%4]")
                                     .arg(label, name, shown(o), words.join(QLatin1Char(',')));
                    }
                }
            }
            QMutexLocker lock(&mutex_);
            tallies_[Key{size, family, c.perturbation.name}].add(t);
            by_voice_[std::make_pair(size, c.voice.label())].add(t);
        }
        QMutexLocker lock(&mutex_);
        notes_ += notes;
    }

    void report(QTextStream& out) const
    {
        QMap<std::pair<int, QString>, Tally> pooled;  // size, "clean" or "child-like"
        for (auto it = tallies_.constBegin(); it != tallies_.constEnd(); ++it) {
            const bool clean = it.key().perturbation == QLatin1String("clean");
            pooled[{it.key().size, clean ? QStringLiteral("clean") : QStringLiteral("perturbed")}].add(*it);
        }
        out << Qt::endl << "grammar  voices  speech       words recognised         others taken for a command" << Qt::endl;
        for (auto it = tallies_.constBegin(); it != tallies_.constEnd(); ++it)
            out << QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(QStringLiteral("%1 word%2").arg(it.key().size).arg(it.key().size > 1 ? "s" : ""), -8)
                       .arg(it.key().family, -7)
                       .arg(it.key().perturbation, -12)
                       .arg(share(it->commands_right, it->commands), -24)
                       .arg(share(it->others_taken, it->others))
                << Qt::endl;
        out << Qt::endl << "by voice:" << Qt::endl;
        for (auto it = by_voice_.constBegin(); it != by_voice_.constEnd(); ++it)
            out << QStringLiteral("  %1 %2 %3 %4")
                       .arg(QStringLiteral("%1 word%2").arg(it.key().first).arg(it.key().first > 1 ? "s" : ""), -8)
                       .arg(it.key().second, -20)
                       .arg(share(it->commands_right, it->commands), -24)
                       .arg(share(it->others_taken, it->others))
                << Qt::endl;
        out << Qt::endl;
        Tally all;
        for (auto it = pooled.constBegin(); it != pooled.constEnd(); ++it) {
            const bool clean = it.key().second == QLatin1String("clean");
            out << QStringLiteral("%1, %2: words %3 (goal >= %4 %), others taken %5 (goal <= %6 %)")
                       .arg(QStringLiteral("%1 word%2").arg(it.key().first).arg(it.key().first > 1 ? "s" : ""))
                       .arg(clean ? QStringLiteral("clean") : QStringLiteral("child-like"), -10)
                       .arg(share(it->commands_right, it->commands))
                       .arg(clean ? 95 : 90)
                       .arg(share(it->others_taken, it->others))
                       .arg(clean ? 5 : 10)
                << Qt::endl;
            all.add(*it);
        }
        out << "\"Cancel [Script]\" heard: " << share(all.cancels_right, all.cancels) << Qt::endl
            << QStringLiteral("decoding: %1 % of a core while audio comes in")
                   .arg(all.audio_ms > 0 ? 100.0 * all.cpu_ms / all.audio_ms : 0.0, 0, 'f', 2)
            << Qt::endl
            << QStringLiteral("latency beyond the detector's %1 ms: median %2 ms, 99th percentile %3 ms, max %4 ms")
                   .arg(settings_.vad_postspeech_frames * 10)
                   .arg(percentile(all.latency_ms, 0.5), 0, 'f', 1)
                   .arg(percentile(all.latency_ms, 0.99), 0, 'f', 1)
                   .arg(percentile(all.latency_ms, 1.0), 0, 'f', 1)
            << Qt::endl;
        if (options_.verbose) {
            QStringList sorted = notes_;
            sorted.sort();
            for (const QString& n : sorted) out << "  " << n << Qt::endl;
        }
    }

private:
    const Options& options_;
    const pw::voice::RecogniserSettings& settings_;
    const QList<WordList::Entry> set_;
    const QList<std::pair<QString, QByteArray>> noise_;
    QMutex mutex_;
    QMap<Key, Tally> tallies_;
    QMap<std::pair<int, QString>, Tally> by_voice_;
    QStringList notes_;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: bench_recognition [--set held-out|tuning] [--voices all|espeak|flite] "
                 "[--perturb clean,higher,faster,slower,room,child] [--sizes 1,4] [--others K] [--targets N] "
                 "[--jobs N] [--cache DIR] [--words FILE] [--decoys FILE] [--listening FILE] "
                 "[--tune NAME VALUE]... [--option NAME VALUE]... [--block-ms MS] [-v]\n");
    return 2;
}

QList<int> numbers(const QString& list)
{
    QList<int> out;
    for (const QString& n : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) out.append(std::max(1, n.toInt()));
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    pw::voice::RecogniserSettings settings = pw::voice::RecogniserSettings::defaults();
    Options options;
    QByteArray tuning_text;
    {
        QFile f(QStringLiteral(":/speech/listening.txt"));
        if (f.open(QIODevice::ReadOnly)) tuning_text = f.readAll();
    }
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool has_value = i + 1 < args.size();
        auto file_text = [&](QByteArray* text) {
            QFile f(args[++i]);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
                return false;
            }
            *text = f.readAll();
            return true;
        };
        QByteArray text;
        if (a == QLatin1String("--set") && has_value) {
            options.held_out = args[++i] != QLatin1String("tuning");
        } else if (a == QLatin1String("--voices") && has_value) {
            options.voices = args[++i];
        } else if (a == QLatin1String("--perturb") && has_value) {
            options.perturb = args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else if (a == QLatin1String("--sizes") && has_value) {
            options.sizes = numbers(args[++i]);
        } else if (a == QLatin1String("--others") && has_value) {
            options.others = args[++i].toInt();
        } else if (a == QLatin1String("--targets") && has_value) {
            options.targets = args[++i].toInt();
        } else if (a == QLatin1String("--jobs") && has_value) {
            options.jobs = std::max(1, args[++i].toInt());
        } else if (a == QLatin1String("--block-ms") && has_value) {
            options.block_ms = std::max(10, args[++i].toInt());
        } else if (a == QLatin1String("--cache") && has_value) {
            options.cache = args[++i];
        } else if (a == QLatin1String("--words") && has_value) {
            options.words = args[++i];
        } else if (a == QLatin1String("--decoys") && has_value) {
            if (!file_text(&text)) return 2;
            settings.decoys = pw::voice::parse_decoy_list(text);
        } else if (a == QLatin1String("--listening") && has_value) {
            if (!file_text(&text)) return 2;
            tuning_text = text;
        } else if (a == QLatin1String("--tune") && i + 2 < args.size()) {
            tuning_text += '\n' + (args[i + 1] + QLatin1Char(' ') + args[i + 2]).toUtf8();
            i += 2;
        } else if (a == QLatin1String("--option") && i + 2 < args.size()) {
            settings.decoder_options << args[i + 1] << args[i + 2];
            i += 2;
        } else if (a == QLatin1String("-v")) {
            options.verbose = true;
        } else {
            return usage();
        }
    }
    QTextStream out(stdout);
    QString problems;
    settings.tuning = pw::voice::parse_listening_tuning(tuning_text, &problems);
    if (!problems.isEmpty()) {
        out << "listening settings: " << problems << Qt::endl;
        return 2;
    }
    if (!pw::bench::sox_installed()) {
        out << "sox is not installed: it makes the child-like clips" << Qt::endl;
        return 1;
    }
    QString error;
    const WordList list = WordList::read(options.words, &error);
    if (list.entries.isEmpty()) {
        out << (error.isEmpty() ? QStringLiteral("no words in ") + options.words : error) << Qt::endl;
        return 1;
    }
    // Words a decoy names are left out: a decoy list could otherwise pass by naming
    // its answers. The held-out words should be new to every list the recogniser has.
    QSet<QString> decoys;
    for (const QString& d : std::as_const(settings.decoys))
        decoys.insert(pw::voice::spoken_words(d).join(QLatin1Char(' ')));
    QList<WordList::Entry> set;
    QStringList named;
    for (const WordList::Entry& e : list.of_set(options.held_out)) {
        if (decoys.contains(pw::voice::spoken_words(e.text).join(QLatin1Char(' ')))) named << e.text;
        else set.append(e);
    }
    if (!named.isEmpty())
        out << "LEFT OUT, named by the decoy list: " << named.join(QStringLiteral(", ")) << Qt::endl;

    QList<TestVoice> voices;
    const QList<TestVoice> espeak = {{TestVoice::Espeak, QStringLiteral("en-us"), 50, 175},
                                     {TestVoice::Espeak, QStringLiteral("en-us+f3"), 50, 175},
                                     {TestVoice::Espeak, QStringLiteral("en"), 50, 175}};
    if (options.voices != QLatin1String("flite")) voices += espeak;
    if (options.voices != QLatin1String("espeak")) {
        if (pw::test::flite_installed()) voices += pw::test::flite_test_voices();
        else out << "flite is not installed: espeak-ng voices only" << Qt::endl;
    }
    QList<Perturbation> kinds;
    for (const Perturbation& p : pw::bench::perturbations())
        if (options.perturb.isEmpty() || options.perturb.contains(p.name)) kinds.append(p);

    QStringList texts{QStringLiteral("cancel script")};
    for (const WordList::Entry& e : set) texts.append(e.text);
    out << "listening: " << QString::fromUtf8(tuning_text).split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^[a-z]"))).join(QStringLiteral("; ")) << Qt::endl;
    out << QStringLiteral("%1 set: %2 words and phrases; %3 voices; %4; %5 decoys")
               .arg(options.held_out ? QStringLiteral("held-out") : QStringLiteral("tuning"))
               .arg(set.size())
               .arg(voices.size())
               .arg([&] {
                   QStringList n;
                   for (const Perturbation& p : kinds) n << p.name;
                   return n.join(QLatin1Char(','));
               }())
               .arg(settings.decoys.size())
        << Qt::endl;

    Evaluation evaluation(options, settings, set, pw::bench::noises(options.cache + QStringLiteral("/noise")));
    QElapsedTimer took;
    took.start();
    for (const TestVoice& v : voices) {
        VoiceClips clips(v, options.cache + QLatin1Char('/') + v.label().replace(QLatin1Char(' '), QLatin1Char('_')));
        if (!clips.prepare(texts)) {
            out << v.label() << " cannot speak; left out" << Qt::endl;
            continue;
        }
        // Perturbations of one voice run side by side, each on its own decoder.
        std::list<std::unique_ptr<QThread>> running;
        for (const Perturbation& p : kinds) {
            const QHash<QString, QByteArray> under = clips.under(p);
            if (under.isEmpty()) {
                out << v.label() << " " << p.name << ": sox failed; left out" << Qt::endl;
                continue;
            }
            while (qsizetype(running.size()) >= options.jobs) {
                running.front()->wait();
                running.pop_front();
            }
            running.emplace_back(
                QThread::create([&evaluation, c = Condition{v, p}, under] { evaluation.run(c, under); }));
            running.back()->start();
        }
        for (auto& t : running) t->wait();
        out << v.label() << " done after " << took.elapsed() / 1000 << " s" << Qt::endl;
    }
    evaluation.report(out);
    return 0;
}
