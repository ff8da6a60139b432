// With espeak-ng's data missing, characters still speak: silently, with the balloon
// revealing words at reading speed and requests still answered.

#include "agent/voice/speech_synthesizer.h"
#include "tests/test_classes.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pw::voice;

class SpeechWithoutEngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // An existing folder without data makes espeak-ng's initialisation fail; it must
        // be set before the first synthesizer starts the engine.
        QVERIFY(empty_data.isValid());
        qputenv("ESPEAK_DATA_PATH", empty_data.path().toLocal8Bit());
    }

    void speaks_silently_at_reading_speed()
    {
        SpeechSynthesizer synth;
        QVERIFY(!synth.available());
        VoiceSettings voice;
        voice.rate = 150;
        const QString text = QStringLiteral("Nobody can hear me now.");
        const SpeechClip clip = synth.synthesize(text, voice);
        QVERIFY(clip.audio.is_empty());
        QCOMPARE(clip.text, text);
        QCOMPARE(clip.words.size(), 5);
        QCOMPARE(clip.duration_ms, 5 * 400);
        QCOMPARE(clip.words[4].start_ms, 4 * 400);
        QCOMPARE(clip.revealed_chars(clip.duration_ms), int(text.size()));

        QSignalSpy spy(&synth, &SpeechSynthesizer::ready);
        const int ticket = synth.request(text, voice);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), ticket);
        QCOMPARE(spy[0][1].value<SpeechClip>().duration_ms, clip.duration_ms);
    }

private:
    QTemporaryDir empty_data;
};

PW_TEST_CLASS(SpeechWithoutEngineTest);
#include "test_speech_without_engine.moc"
