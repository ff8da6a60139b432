// Turning raw synthesizer events into balloon and mouth cues, the silent estimate,
// and looking cues up by time.

#include "agent/voice/estimated_speech.h"
#include "agent/voice/phoneme_mouth.h"
#include "agent/voice/word_cues.h"
#include "tests/test_classes.h"

#include <QTest>

using namespace pw::voice;
using pw::acs::Mouth;

namespace {

QStringList cued_words(const QString& text, const QList<WordCue>& cues)
{
    QStringList out;
    for (const WordCue& c : cues) out << text.mid(c.text_position, c.text_length);
    return out;
}

}  // namespace

class SpeechTimingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void word_events_that_step_back_or_land_on_spaces()
    {
        const QString text = QStringLiteral("  one   two");
        QList<WordCue> cues = word_cues_from_events(text, {{0, 1, 2}, {50, 7, 1}, {80, 3, 3}, {120, 9, 3}});
        QCOMPARE(cued_words(text, cues), (QStringList{"one", "two"}));
        // Times never go backwards even if the events do.
        cues = word_cues_from_events(text, {{300, 3, 3}, {200, 9, 3}});
        QCOMPARE(cues[1].start_ms, 300);
        QVERIFY(word_cues_from_events(QString(), {{0, 1, 3}}).isEmpty());
        QVERIFY(word_cues_from_events(QStringLiteral("   "), {{0, 1, 3}}).isEmpty());
    }

    void phoneme_names_outside_the_table_still_get_a_shape()
    {
        // Pauses of any length close the mouth; ";" is a modifier with no shape.
        QCOMPARE(mouth_for_phoneme("_!"), Mouth::Closed);
        QVERIFY(!mouth_for_phoneme(";").has_value());
        QCOMPARE(mouth_for_phoneme("aU#"), Mouth::WideOpen3);
        QCOMPARE(mouth_for_phoneme("Q"), Mouth::WideOpen1);
    }

    void mouth_cues_are_ordered_merged_and_end_closed()
    {
        const QList<RawPhonemeEvent> events = {
            {0, "_:"}, {10, "h"}, {40, "s"}, {40, "@"}, {60, ";"}, {70, "E"}, {90, "l"}, {50, "m"}, {500, "oU"},
        };
        const QList<MouthCue> cues = mouth_cues_from_events(events, 400);
        // "s" and "E" repeat the shape before them and ";" is no sound. "m" comes late:
        // it is held to the time of "l" and, being later, wins that moment. "oU" is
        // clamped to the end, where the closing cue replaces it.
        QCOMPARE(cues.size(), 4);
        QCOMPARE(cues[0].shape, Mouth::Closed);
        QCOMPARE(cues[1].start_ms, 10);
        QCOMPARE(cues[1].shape, Mouth::WideOpen1);
        QCOMPARE(cues[2].start_ms, 40);
        QCOMPARE(cues[2].shape, Mouth::WideOpen2);
        QCOMPARE(cues[3].start_ms, 90);
        QCOMPARE(cues[3].shape, Mouth::Closed);

        const QList<MouthCue> none = mouth_cues_from_events({}, 100);
        QCOMPARE(none.size(), 1);
        QCOMPARE(none[0].shape, Mouth::Closed);
    }

    void estimate_spreads_words_at_reading_speed()
    {
        VoiceSettings voice;
        voice.rate = 120;  // half a second a word
        const SpeechClip clip = estimated_clip(QStringLiteral("Hi there -- you!"), voice);
        QVERIFY(clip.audio.is_empty());
        QCOMPARE(clip.duration_ms, 1500);
        QCOMPARE(cued_words(clip.text, clip.words), (QStringList{"Hi", "there", "you!"}));
        QCOMPARE(clip.words[2].start_ms, 1000);
        QCOMPARE(clip.mouth_at(1100), Mouth::WideOpen2);
        QCOMPARE(clip.mouth_at(1450), Mouth::Closed);
        QCOMPARE(clip.mouth.last().shape, Mouth::Closed);

        const SpeechClip empty = estimated_clip(QStringLiteral(" ... "), voice);
        QCOMPARE(empty.duration_ms, 0);
        QCOMPARE(empty.revealed_chars(0), 5);
    }

    void revealed_text_and_mouth_follow_time()
    {
        SpeechClip clip;
        clip.text = QStringLiteral("one two three");
        clip.duration_ms = 900;
        clip.words = {{100, 0, 3}, {400, 4, 3}, {600, 8, 5}};
        clip.mouth = {{100, Mouth::WideOpen2}, {300, Mouth::Closed}, {400, Mouth::Medium}, {850, Mouth::Closed}};
        QCOMPARE(clip.revealed_chars(0), 0);
        QCOMPARE(clip.revealed_chars(100), 3);
        QCOMPARE(clip.revealed_chars(599), 7);
        QCOMPARE(clip.revealed_chars(600), 13);
        QCOMPARE(clip.mouth_at(50), Mouth::Closed);
        QCOMPARE(clip.mouth_at(150), Mouth::WideOpen2);
        QCOMPARE(clip.mouth_at(500), Mouth::Medium);
        QCOMPARE(clip.mouth_at(900), Mouth::Closed);
        // The next moment either changes: a word, a mouth, the end; nothing after it.
        const QList<int> next = {clip.next_change_ms(0), clip.next_change_ms(100), clip.next_change_ms(350),
                                 clip.next_change_ms(600), clip.next_change_ms(850), clip.next_change_ms(900)};
        QCOMPARE(next, (QList<int>{100, 300, 400, 850, 900, -1}));
        // Trailing punctuation that no word event covers shows once speech is over.
        clip.text += QStringLiteral(" !!");
        QCOMPARE(clip.revealed_chars(899), 13);
        QCOMPARE(clip.revealed_chars(900), 16);
    }
};

PW_TEST_CLASS(SpeechTimingTest);
#include "test_speech_timing.moc"
