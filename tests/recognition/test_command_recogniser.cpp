// The recogniser on synthesised speech, silence and noise, fed from samples: commands
// are found, other words and noise are not taken for one, and the grammar changes only
// between utterances.

#include "speech_fixtures.h"
#include "agent/voice/microphone.h"
#include "agent/voice/mono_resampler.h"
#include "tests/fakes/heap_in_use.h"
#include "tests/test_classes.h"

#include <QRegularExpression>
#include <QTest>

using namespace pw::voice;
using namespace pw::test;
using Event = CommandRecogniser::Event;

namespace {

const QStringList commands = {QStringLiteral("Cancel [Script]"), QStringLiteral("yes"), QStringLiteral("apple"),
                              QStringLiteral("banana"), QStringLiteral("7")};

const TestVoice klatt{TestVoice::Espeak, QStringLiteral("en-us+klatt"), 50, 175};

// Rows for the voices the model hears well: espeak-ng's Klatt voice and two of flite's,
// Klatt raised the way a child's voice sits higher than an adult's, and one of flite's
// through a narrowband channel.
void voice_rows()
{
    QTest::addColumn<TestVoice>("voice");
    QTest::addColumn<double>("raised");
    QTest::addColumn<bool>("narrowband");
    QTest::newRow("espeak klatt") << klatt << 1.0 << false;
    QTest::newRow("flite slt") << TestVoice{TestVoice::Flite, QStringLiteral("slt")} << 1.0 << false;
    QTest::newRow("flite rms") << TestVoice{TestVoice::Flite, QStringLiteral("rms")} << 1.0 << false;
    QTest::newRow("espeak klatt, a child's height") << klatt << 1.3 << false;
    QTest::newRow("flite slt, an 8 kHz headset") << TestVoice{TestVoice::Flite, QStringLiteral("slt")} << 1.0 << true;
}

// The clip with every frequency (and its pace) raised by `factor`.
QByteArray raised_clip(const QByteArray& clip, double factor)
{
    if (factor == 1.0) return clip;
    const auto* samples = reinterpret_cast<const qint16*>(clip.constData());
    QByteArray out;
    MonoResampler(int(std::lround(16000 * factor))).push(std::vector<float>(samples, samples + clip.size() / 2), out);
    return out;
}

// The clip through a headset's 8 kHz channel, `gain` times as loud (clipping there),
// and brought back to 16 kHz as an 8 kHz microphone's audio is.
QByteArray narrowband_clip(const QByteArray& clip, float gain = 1)
{
    const auto* in = reinterpret_cast<const qint16*>(clip.constData());
    QByteArray at8k, out;
    MonoResampler(16000, 8000).push(std::vector<float>(in, in + clip.size() / 2), at8k);
    const auto* low = reinterpret_cast<const qint16*>(at8k.constData());
    std::vector<float> loud(low, low + at8k.size() / 2);
    for (float& s : loud) s = std::clamp(s * gain, -32768.0f, 32767.0f);
    MonoResampler(8000).push(loud, out);
    return out;
}

// The built-in settings, noting how far each utterance's high band rose (in the first
// pass): below the narrowband limit, it counts as come through a narrowband channel.
RecogniserSettings noting_rises(QList<double>& rises)
{
    RecogniserSettings settings = RecogniserSettings::defaults();
    settings.spectra_seen = [&rises, first = settings.tuning.warps.front()](
                                double warp, const std::vector<double>&, const std::vector<float>&, double rise) {
        if (warp == first) rises.append(rise);
    };
    return settings;
}

QList<Event::Kind> kinds(const QList<Event>& events)
{
    QList<Event::Kind> out;
    for (const Event& e : events) out.append(e.kind);
    return out;
}

}  // namespace

class CommandRecogniserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_said_alone_are_recognised_data() { voice_rows(); }
    void commands_said_alone_are_recognised()
    {
        QFETCH(TestVoice, voice);
        QFETCH(double, raised);
        QFETCH(bool, narrowband);
        if (voice.engine == TestVoice::Flite && !flite_installed()) QSKIP("flite is not installed");
        const QList<std::pair<QString, QString>> said = {
            {"cancel script", "Cancel [Script]"}, {"yes", "yes"},
            {"apple", "apple"}, {"banana", "banana"}, {"seven", "7"}};
        QList<double> rises;  // one for each utterance
        const RecogniserSettings settings = noting_rises(rises);
        auto r = fresh_recogniser(commands, settings);
        QVERIFY(r);
        for (const auto& [words, phrase] : said) {
            r->restart();
            rises.clear();
            const QByteArray clip = raised_clip(spoken(voice, words), raised);
            const QList<Event> events = feed(*r, narrowband ? narrowband_clip(clip) : clip);
            // Told apart: speech through a narrowband channel has its top filters filled in.
            QCOMPARE(rises.size(), 1);
            QVERIFY2((rises[0] < settings.tuning.narrowband_rise_db) == narrowband, qPrintable(QString::number(rises[0])));
            QCOMPARE(kinds(events), (QList<Event::Kind>{Event::SpeechStarted, Event::Heard}));
            QVERIFY2(events[1].phrase == phrase,
                     qPrintable(QStringLiteral("said \"%1\", heard \"%2\"").arg(words, events[1].words)));
        }
    }

    void other_words_are_not_taken_for_commands_data() { voice_rows(); }
    void other_words_are_not_taken_for_commands()
    {
        QFETCH(TestVoice, voice);
        QFETCH(double, raised);
        QFETCH(bool, narrowband);
        if (voice.engine == TestVoice::Flite && !flite_installed()) QSKIP("flite is not installed");
        auto r = fresh_recogniser(commands);
        // "Cancel" alone stops no script: only the whole "cancel script" does.
        for (const QString& words : {QStringLiteral("elephant"), QStringLiteral("hello"), QStringLiteral("pizza"),
                                     QStringLiteral("good night"), QStringLiteral("cancel")}) {
            r->restart();
            const QByteArray clip = raised_clip(spoken(voice, words), raised);
            const QList<Event> events = feed(*r, narrowband ? narrowband_clip(clip) : clip);
            // Speech all the same: the period ends with an empty command.
            QVERIFY2(heard_phrases(events) == QStringList{QString()},
                     qPrintable(QStringLiteral("said \"%1\", heard %2").arg(words, heard_phrases(events).join(','))));
        }
    }

    void a_real_voice_is_heard_data()
    {
        QTest::addColumn<bool>("narrowband");
        QTest::newRow("as recorded") << false;
        QTest::newRow("through an 8 kHz headset") << true;
    }
    void a_real_voice_is_heard()
    {
        // A person's recordings (tests/data/speech), where every other voice here is
        // synthesized; one of them clips.
        QFETCH(bool, narrowband);
        const QStringList phrases{QStringLiteral("ten of clubs"), QStringLiteral("seven of clubs"),
                                  QStringLiteral("five five"), QStringLiteral("go forward ten meters")};
        QList<double> rises;
        const RecogniserSettings settings = noting_rises(rises);
        auto r = fresh_recogniser(phrases, settings);
        auto others = fresh_recogniser({QStringLiteral("apple"), QStringLiteral("banana"), QStringLiteral("hello")});
        QVERIFY(r && others);
        for (const QString& phrase : phrases) {
            const QString path = qEnvironmentVariable("PELLWORKS_TEST_DATA") + QStringLiteral("/speech/") +
                                 QString(phrase).replace(QLatin1Char(' '), QLatin1Char('-')) + QStringLiteral(".wav");
            QByteArray clip = to_recogniser_audio(pw::acs::decode_wav_file(path));
            if (narrowband) clip = narrowband_clip(clip);
            clip += silence(1000);  // the recordings stop soon after the speech
            r->restart();
            rises.clear();
            QCOMPARE(heard_phrases(feed(*r, clip)), QStringList{phrase});
            QVERIFY2(!rises.isEmpty() && (rises[0] < settings.tuning.narrowband_rise_db) == narrowband,
                     qPrintable(phrase));
            others->restart();
            QCOMPARE(heard_phrases(feed(*others, clip)), QStringList{QString()});
        }
    }

    void a_headset_is_told_even_when_its_speech_clips()
    {
        // Brought up to 16 kHz, speech that clipped at 8 kHz overshoots full scale and
        // clips again, and those clicks reach into the band the channel leaves empty.
        const QByteArray clip = narrowband_clip(spoken(klatt, QStringLiteral("banana")), 6);
        const auto* samples = reinterpret_cast<const qint16*>(clip.constData());
        QVERIFY(std::count(samples, samples + clip.size() / 2, qint16(32767)) > 0);
        QList<double> rises;
        const RecogniserSettings settings = noting_rises(rises);
        auto r = fresh_recogniser(commands, settings);
        feed(*r, clip);
        QVERIFY(!rises.isEmpty());
        QVERIFY2(rises[0] < settings.tuning.narrowband_rise_db, qPrintable(QString::number(rises[0])));
    }

    void silence_and_noise_are_not_commands()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.quiet_ms = 1500;
        auto r = fresh_recogniser(commands, settings);
        // Silence: nothing at all, then "nothing heard" each time the quiet time runs out.
        const QList<Event> quiet = feed(*r, silence(3200));
        QCOMPARE(kinds(quiet), (QList<Event::Kind>{Event::NothingHeard, Event::NothingHeard}));
        QVERIFY(std::abs(quiet[0].at_ms - 1500) <= 70);
        QVERIFY(std::abs(quiet[1].at_ms - 3000) <= 70);

        r->restart();
        for (uint32_t seed : {1u, 2u, 3u}) {
            const QList<Event> noisy = feed(*r, white_noise(2500, 0.05, seed) + silence(1000));
            for (const Event& e : noisy) QVERIFY2(e.kind != Event::Heard || e.phrase.isEmpty(), qPrintable(e.phrase));
        }
    }

    void speech_start_and_result_follow_the_audio()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        auto r = fresh_recogniser(commands, settings);
        const QByteArray clip = spoken(klatt, QStringLiteral("banana"), 600, 1200);
        const QList<Event> events = feed(*r, clip, 160);
        QCOMPARE(kinds(events), (QList<Event::Kind>{Event::SpeechStarted, Event::Heard}));
        // Speech is noticed soon after it starts, and the result comes once the
        // detector has waited out its silence after the last sound.
        QVERIFY2(events[0].at_ms >= 600 && events[0].at_ms <= 900, qPrintable(QString::number(events[0].at_ms)));
        const qint64 end = speech_end_ms(clip);
        const qint64 wait = events[1].at_ms - end;
        QVERIFY2(wait >= settings.vad_postspeech_frames * 10 - 50 && wait <= settings.vad_postspeech_frames * 10 + 300,
                 qPrintable(QString::number(wait)));

        // However a microphone cuts the same audio into blocks, it is heard the same.
        for (const int block : {480, 1021}) {
            const QList<Event> again = feed(*fresh_recogniser(commands, settings), clip, block);
            QCOMPARE(kinds(again), kinds(events));
            for (qsizetype i = 0; i < again.size(); ++i) {
                QCOMPARE(again[i].at_ms, events[i].at_ms);
                QCOMPARE(again[i].words, events[i].words);
            }
        }
    }

    void new_phrases_wait_for_the_utterance_to_end()
    {
        const TestVoice& voice = klatt;
        auto r = fresh_recogniser({QStringLiteral("apple")});
        const QByteArray clip = spoken(voice, QStringLiteral("apple"));
        const qsizetype half = (qsizetype(speech_end_ms(clip)) * 16 - 1600) * 2;  // well inside the word

        QList<Event> events = feed(*r, clip.left(half));
        QCOMPARE(kinds(events), QList<Event::Kind>{Event::SpeechStarted});
        r->listen_for({QStringLiteral("banana")});
        QCOMPARE(r->grammar().phrase_for(QStringLiteral("apple")), QStringLiteral("apple"));  // still the old one
        events = feed(*r, clip.mid(half));
        QCOMPARE(heard_phrases(events), QStringList{QStringLiteral("apple")});

        // Now the new grammar holds: "apple" is no longer a command, "banana" is.
        QCOMPARE(r->grammar().phrase_for(QStringLiteral("apple")), QString());
        QCOMPARE(heard_phrases(feed(*r, spoken(voice, QStringLiteral("banana")))), QStringList{QStringLiteral("banana")});

        // Between utterances a change takes effect at once.
        r->listen_for({QStringLiteral("yes")});
        QCOMPARE(r->grammar().phrase_for(QStringLiteral("yes")), QStringLiteral("yes"));
        QCOMPARE(heard_phrases(feed(*r, spoken(voice, QStringLiteral("yes")))), QStringList{QStringLiteral("yes")});
    }

    // One word listened for (the stopping command aside) weighs as `command_one` says;
    // several weigh as `command`.
    void a_single_command_has_its_own_weight()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.tuning.command = 0.1;
        settings.tuning.command_one = 300;
        auto r = fresh_recogniser({QStringLiteral("Cancel [Script]"), QStringLiteral("apple")}, settings);
        QVERIFY(r->grammar().jsgf(QStringLiteral("g")).contains(QStringLiteral("/300/ apple")));
        r->listen_for({QStringLiteral("Cancel [Script]"), QStringLiteral("apple"), QStringLiteral("yes")});
        QVERIFY(r->grammar().jsgf(QStringLiteral("g")).contains(QStringLiteral("/0.1/ apple")));
    }

    // Every change of commands builds a new grammar; the old one must go with all that
    // was parsed for it, or a long session of scripts slowly eats the memory.
    void changing_commands_keeps_no_old_grammar()
    {
        auto r = fresh_recogniser({QStringLiteral("apple")});
        const auto switch_commands = [&](int times) {
            for (int i = 0; i < times; ++i)
                r->listen_for({i % 2 ? QStringLiteral("apple") : QStringLiteral("banana")});
        };
        switch_commands(10);  // both words known, the decoder's tables grown
        const qint64 before = heap_in_use();
        switch_commands(40);
        const qint64 grown = heap_in_use() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("%1 bytes more after 40 grammars").arg(grown)));
    }

    void words_missing_from_the_dictionary_are_listened_for()
    {
        const TestVoice& voice = klatt;
        auto r = fresh_recogniser({QStringLiteral("Zorblax"), QStringLiteral("Pellwick [jump]"), QStringLiteral("yes")});
        QVERIFY(r->grammar().words().contains(QStringLiteral("zorblax")));
        QCOMPARE(heard_phrases(feed(*r, spoken(voice, QStringLiteral("zorblax")))), QStringList{QStringLiteral("Zorblax")});
        r->restart();
        QCOMPARE(heard_phrases(feed(*r, spoken(voice, QStringLiteral("pellwick jump")))),
                 QStringList{QStringLiteral("Pellwick [jump]")});
    }

    void words_without_a_pronunciation_are_left_out()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.pronounce = [](const QString&) { return std::optional<QString>(); };
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("zorblax.*cannot be listened for")));
        auto r = fresh_recogniser({QStringLiteral("zorblax"), QStringLiteral("yes")}, settings);
        QVERIFY(!r->grammar().words().contains(QStringLiteral("zorblax")));
        QCOMPARE(heard_phrases(feed(*r, spoken(klatt, QStringLiteral("yes")))),
                 QStringList{QStringLiteral("yes")});

        // A pronunciation in phones the model lacks is refused the same way.
        settings.pronounce = [](const QString&) { return std::optional<QString>(QStringLiteral("Z QQ R")); };
        settings.decoys = {QStringLiteral("blorft")};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("zorblax.*was refused")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("blorft.*was refused")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Nothing to listen for")));
        auto deaf = fresh_recogniser({QStringLiteral("zorblax")}, settings);
        QVERIFY(deaf->grammar().ways().isEmpty());
        QVERIFY(feed(*deaf, spoken(klatt, QStringLiteral("yes"))).isEmpty());
    }

    void endless_talk_is_cut_into_utterances()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.longest_utterance_ms = 1500;
        auto r = fresh_recogniser(commands, settings);
        const QByteArray talk = spoken(klatt,
                                       QStringLiteral("The little green robot walked to the big red door and said hello "
                                                      "to everyone inside, then it walked all the way back again."));
        const QList<Event> events = feed(*r, talk);
        // The detector hears no end for seconds; the cap closes each utterance in turn.
        const QList<Event::Kind> seen = kinds(events);
        const auto starts = std::count(seen.begin(), seen.end(), Event::SpeechStarted);
        QVERIFY2(starts >= 3, qPrintable(QString::number(starts)));
    }

    void a_missing_model_is_reported()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.model_dir = QStringLiteral("/nonexistent/model");
        QString why;
        QVERIFY(!CommandRecogniser::create(settings, &why));
        QVERIFY2(why.contains(QStringLiteral("/nonexistent/model")), qPrintable(why));
    }
};

PW_TEST_CLASS(CommandRecogniserTest);
#include "test_command_recogniser.moc"
