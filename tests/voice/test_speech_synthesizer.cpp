// Speech from espeak-ng: word and mouth timing against the audio, determinism, voices,
// the request queue with cancelling, and callers on several threads.

#include "agent/voice/speech_synthesizer.h"
#include "tests/test_classes.h"

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <thread>

using namespace pw::voice;
using pw::acs::Mouth;

namespace {

QStringList cued_words(const SpeechClip& clip)
{
    QStringList out;
    for (const WordCue& c : clip.words) out << clip.text.mid(c.text_position, c.text_length);
    return out;
}

// Inside one process espeak-ng carries state from one utterance to the next: the
// voices' pitch flutter runs on (sample-level differences) and pauses at commas and at
// the end can differ by tens of milliseconds depending on what was spoken before.
// What must not change: the words, the mouth shapes in order, and the timing to
// within that.
constexpr int timing_slack_ms = 60;

QString timeline_difference(const SpeechClip& a, const SpeechClip& b)
{
    const auto near = [](int x, int y) { return std::abs(x - y) <= timing_slack_ms; };
    if (a.text != b.text) return QStringLiteral("texts differ");
    if (!near(a.duration_ms, b.duration_ms))
        return QStringLiteral("durations %1 and %2").arg(a.duration_ms).arg(b.duration_ms);
    if (a.words.size() != b.words.size()) return QStringLiteral("word counts differ");
    for (qsizetype i = 0; i < a.words.size(); ++i) {
        if (a.words[i].text_position != b.words[i].text_position || a.words[i].text_length != b.words[i].text_length
            || !near(a.words[i].start_ms, b.words[i].start_ms))
            return QStringLiteral("word %1 differs").arg(i);
    }
    if (a.mouth.size() != b.mouth.size()) return QStringLiteral("mouth cue counts differ");
    for (qsizetype i = 0; i < a.mouth.size(); ++i) {
        if (a.mouth[i].shape != b.mouth[i].shape || !near(a.mouth[i].start_ms, b.mouth[i].start_ms))
            return QStringLiteral("mouth cue %1 differs").arg(i);
    }
    return {};
}

}  // namespace

class SpeechSynthesizerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(synth.available(), "espeak-ng should be installed with its data");
    }

    void word_cues_cover_each_word_in_order()
    {
        const QString text = QStringLiteral("I don't have 3.5 apples, said Ren\u00e9e \U0001F34E happily.");
        const SpeechClip clip = synth.synthesize(text, VoiceSettings{});
        QCOMPARE(clip.text, text);
        QCOMPARE(cued_words(clip), (QStringList{"I", "don't", "have", "3.5", "apples,", "said",
                                                QStringLiteral("Ren\u00e9e"), QStringLiteral("\U0001F34E"),
                                                "happily."}));
        for (qsizetype i = 1; i < clip.words.size(); ++i)
            QVERIFY(clip.words[i].start_ms > clip.words[i - 1].start_ms);
        QVERIFY(clip.words.last().start_ms < clip.duration_ms);
        // The balloon shows the whole sentence only at the end.
        QVERIFY(clip.revealed_chars(clip.words.last().start_ms - 1) < int(text.size()));
        QCOMPARE(clip.revealed_chars(clip.duration_ms), int(text.size()));
    }

    void audio_duration_and_mouth_agree()
    {
        const SpeechClip clip = synth.synthesize(QStringLiteral("My mother made a lovely apple pie."), VoiceSettings{});
        QCOMPARE(clip.audio.sample_rate, 22050);
        QCOMPARE(clip.audio.channels, 1);
        QCOMPARE(qint64(clip.duration_ms), clip.audio.duration_ms());
        QVERIFY(clip.duration_ms > 1000 && clip.duration_ms < 5000);

        QVERIFY(clip.mouth.size() > 10);
        QCOMPARE(clip.mouth.last().shape, Mouth::Closed);
        QSet<Mouth> seen;
        for (qsizetype i = 0; i < clip.mouth.size(); ++i) {
            seen.insert(clip.mouth[i].shape);
            QVERIFY(clip.mouth[i].start_ms <= clip.duration_ms);
            if (i > 0) {
                QVERIFY(clip.mouth[i].start_ms > clip.mouth[i - 1].start_ms);
                QVERIFY(clip.mouth[i].shape != clip.mouth[i - 1].shape);
            }
        }
        // "m", "a", "l", "v", "p" and vowels between them: the lips close and open.
        QVERIFY(seen.contains(Mouth::Closed));
        QVERIFY(seen.contains(Mouth::Narrow));
        QVERIFY(seen.contains(Mouth::Medium));
        QVERIFY(seen.contains(Mouth::WideOpen3) || seen.contains(Mouth::WideOpen4));
    }

    void same_input_gives_the_same_timeline()
    {
        // Whatever was spoken in between, and once enough was spoken that the sentence is
        // synthesized again rather than found among the recent ones.
        VoiceSettings voice;
        voice.voice = QStringLiteral("en-us+f3");
        voice.rate = 140;
        voice.pitch = 70;
        const QString text = QStringLiteral("Hello there, Alice!");
        const SpeechClip first = synth.synthesize(text, voice);
        for (const char* other : {"One.", "Something else between.", "Two!"}) {
            QVERIFY(timeline_difference(synth.synthesize(text, voice), first).isEmpty());
            synth.synthesize(QString::fromLatin1(other), VoiceSettings{});
        }
        const QString difference = timeline_difference(synth.synthesize(text, voice), first);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void voice_settings_change_the_speech()
    {
        const QString text = QStringLiteral("The little green robot walked to the big red door.");
        VoiceSettings normal;
        VoiceSettings fast = normal;
        fast.rate = 300;
        VoiceSettings high = normal;
        high.pitch = 95;
        const SpeechClip a = synth.synthesize(text, normal);
        QVERIFY(synth.synthesize(text, fast).duration_ms < a.duration_ms * 3 / 4);
        QVERIFY(synth.synthesize(text, high).audio.samples != a.audio.samples);
        // British English is known by its language code only.
        VoiceSettings british = normal;
        british.voice = QStringLiteral("en-gb");
        QVERIFY(!timeline_difference(synth.synthesize(text, british), a).isEmpty());
        // Out-of-range numbers are clamped rather than refused.
        VoiceSettings wild = normal;
        wild.rate = 100000;
        wild.pitch = -5;
        QVERIFY(!synth.synthesize(text, wild).audio.is_empty());
    }

    void unknown_voice_falls_back_to_american_english()
    {
        const QString text = QStringLiteral("Fall back quietly.");
        VoiceSettings unknown;
        unknown.voice = QStringLiteral("xx-nowhere+zz9");
        const SpeechClip clip = synth.synthesize(text, unknown);
        QCOMPARE(timeline_difference(clip, synth.synthesize(text, VoiceSettings{})), QString());
        unknown.voice.clear();
        QCOMPARE(timeline_difference(synth.synthesize(text, unknown), clip), QString());
    }

    void odd_texts_are_spoken_without_trouble()
    {
        for (const QString& text : {QString(), QStringLiteral("   "), QStringLiteral("..."),
                                    QStringLiteral("<b>&amp; [[h@'loU]]</b>"),
                                    QStringLiteral("nul\u0000inside"), QString(2000, QLatin1Char('a'))}) {
            const SpeechClip clip = synth.synthesize(text, VoiceSettings{});
            QCOMPARE(clip.text, text);
            QCOMPARE(qint64(clip.duration_ms), clip.audio.duration_ms());
            QCOMPARE(clip.mouth.last().shape, Mouth::Closed);
            QCOMPARE(clip.revealed_chars(clip.duration_ms), int(text.size()));
        }
        // The NUL does not end the text early.
        const SpeechClip nul = synth.synthesize(QStringLiteral("nul\u0000inside"), VoiceSettings{});
        QCOMPARE(nul.words.size(), 2);
    }

    void requests_arrive_in_order_from_the_event_loop()
    {
        QSignalSpy spy(&synth, &SpeechSynthesizer::ready);
        const int a = synth.request(QStringLiteral("First."), VoiceSettings{});
        const int b = synth.request(QStringLiteral("Second one."), VoiceSettings{});
        QVERIFY(a > 0 && b > a);
        QCOMPARE(spy.count(), 0);  // never from inside the call
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy[0][0].toInt(), a);
        QCOMPARE(spy[1][0].toInt(), b);
        QCOMPARE(spy[1][1].value<SpeechClip>().text, QStringLiteral("Second one."));
    }

    void cancelled_requests_never_arrive()
    {
        QSignalSpy spy(&synth, &SpeechSynthesizer::ready);
        const int long_one = synth.request(QString(20000, QLatin1Char('b')) + QStringLiteral(" end"), VoiceSettings{});
        const int queued = synth.request(QStringLiteral("Queued behind it."), VoiceSettings{});
        const int kept = synth.request(QStringLiteral("Kept."), VoiceSettings{});
        synth.cancel(long_one);
        synth.cancel(queued);
        synth.cancel(12345678);  // unknown: ignored
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), kept);

        // Cancelling after the result is computed but before it is delivered.
        const int late = synth.request(QStringLiteral("Late."), VoiceSettings{});
        synth.synthesize(QStringLiteral("Wait for the worker."), VoiceSettings{});
        synth.cancel(late);
        // Results arrive in order: the next one is the first to come.
        const int after = synth.request(QStringLiteral("After."), VoiceSettings{});
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy[1][0].toInt(), after);
    }

    // A second synthesizer shares the engine with the first.
    void callers_on_several_threads_get_their_own_speech()
    {
        const QStringList texts = {QStringLiteral("Apples and pears."), QStringLiteral("One two three four."),
                                   QStringLiteral("Good morning to you.")};
        QList<SpeechClip> expected;
        for (const QString& t : texts) expected << synth.synthesize(t, VoiceSettings{});
        SpeechSynthesizer second;

        std::atomic<int> wrong{0};
        std::vector<std::thread> callers;
        for (int c = 0; c < 3; ++c) {
            callers.emplace_back([&, c] {
                for (int i = 0; i < 8; ++i) {
                    const int k = (c + i) % 3;
                    SpeechSynthesizer& s = c == 0 ? second : synth;
                    if (!timeline_difference(s.synthesize(texts[k], VoiceSettings{}), expected[k]).isEmpty()) ++wrong;
                }
            });
        }
        // Meanwhile the owning thread keeps queueing work of its own.
        QSignalSpy spy(&synth, &SpeechSynthesizer::ready);
        for (int i = 0; i < 4; ++i) synth.request(texts[i % 3], VoiceSettings{});
        for (std::thread& t : callers) t.join();
        QCOMPARE(wrong.load(), 0);
        QTRY_COMPARE(spy.count(), 4);
        QCOMPARE(timeline_difference(spy[3][1].value<SpeechClip>(), expected[0]), QString());
    }

private:
    SpeechSynthesizer synth;
};

PW_TEST_CLASS(SpeechSynthesizerTest);
#include "test_speech_synthesizer.moc"
