// Playing clips. The timeline runs on a fast fake clock with no output device, so the
// same checks hold on every machine; the machine's own output (a sound card, a sound
// server's null sink, or none) must end its clips too. Every check awaits an event.

#include "../recognition/speech_fixtures.h"

#include "agent/voice/audio_output.h"
#include "tests/test_classes.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace pw::voice;
using pw::acs::PcmAudio;

namespace {

PcmAudio tone(int ms) { return pw::test::tone(22050, 1, 350, ms, 8000); }

// A silent output on a clock five times faster than real time.
struct FastSilentOutput {
    FastSilentOutput() { real.start(); }
    double now() const { return double(real.nsecsElapsed()) / 1e6 * 5.0; }

    QElapsedTimer real;
    AudioOutput out{AudioOutput::Setup{[] { return QAudioDevice(); }, [this] { return now(); }, 5.0}};
    QSignalSpy finished{&out, &AudioOutput::finished};
};

}  // namespace

class AudioOutputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void a_clip_ends_once_on_its_clock_and_its_position_never_runs_back_data()
    {
        QTest::addColumn<int>("tone_ms");  // 0: no samples at all
        QTest::addColumn<int>("duration");
        QTest::newRow("tone") << 600 << 600;
        QTest::newRow("tone shorter than its words") << 100 << 400;
        QTest::newRow("no samples") << 0 << 250;
        QTest::newRow("nothing to say") << 0 << 0;
    }

    void a_clip_ends_once_on_its_clock_and_its_position_never_runs_back()
    {
        QFETCH(int, tone_ms);
        QFETCH(int, duration);
        FastSilentOutput o;
        const double started = o.now();
        o.out.start(tone_ms > 0 ? tone(tone_ms) : PcmAudio{}, duration);
        QVERIFY(o.out.is_playing());
        QVERIFY(o.out.is_silent());
        QCOMPARE(o.finished.count(), 0);  // never from inside start()

        qint64 last = 0;
        bool ordered = true;
        QVERIFY(QTest::qWaitFor([&] {
            const qint64 p = o.out.position_ms();
            ordered = ordered && p >= last && p <= duration;
            last = p;
            return o.finished.count() > 0;
        }, 10000));
        QVERIFY(ordered);
        QVERIFY2(o.now() - started >= duration, qPrintable(QString::number(o.now() - started)));
        QVERIFY(!o.out.is_playing());
        QCOMPARE(o.out.position_ms(), duration);

        // Once: by the end of a second clip, the first has not ended again.
        o.out.start(PcmAudio{}, 50);
        QVERIFY(o.finished.wait(10000));
        QCOMPARE(o.finished.count(), 2);
    }

    void stop_and_restart_drop_the_old_ending()
    {
        FastSilentOutput o;
        o.out.start(tone(200), 200);
        QVERIFY(QTest::qWaitFor([&] { return o.out.position_ms() >= 50; }, 10000));
        o.out.stop();
        QVERIFY(!o.out.is_playing());
        o.out.stop();  // harmless twice

        // A new start() replaces the running clip. Each dropped ending was due before
        // the last clip's: the first ending to come must be the last clip's.
        o.out.start(tone(200), 200);
        QVERIFY(QTest::qWaitFor([&] { return o.out.position_ms() >= 100; }, 10000));
        const double last_started = o.now();
        o.out.start(tone(300), 300);
        QVERIFY(o.finished.wait(10000));
        QVERIFY2(o.now() - last_started >= 300, qPrintable(QString::number(o.now() - last_started)));
        QCOMPARE(o.finished.count(), 1);
    }

    void restarting_from_the_finished_handler_works()
    {
        FastSilentOutput o;
        int endings = 0;
        connect(&o.out, &AudioOutput::finished, &o.out, [&] {
            if (++endings < 3) o.out.start(tone(50), 50);
        });
        o.out.start(tone(50), 50);
        QTRY_COMPARE(endings, 3);
        QVERIFY(!o.out.is_playing());
    }

    void the_machines_own_output_ends_its_clips()
    {
        // With or without a device, and whatever its lag: the clip ends, and stopping
        // or destroying an output while it plays is safe.
        AudioOutput out;
        QSignalSpy finished(&out, &AudioOutput::finished);
        out.start(tone(300), 300);
        QVERIFY(finished.wait(15000));
        QCOMPARE(out.position_ms(), 300);
        QVERIFY(!out.is_playing());

        out.start(tone(300), 300);
        out.stop();
        {
            AudioOutput playing;
            playing.start(tone(300), 300);
        }
        out.start(tone(100), 100);
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.count(), 2);
    }
};

PW_TEST_CLASS(AudioOutputTest);
#include "test_audio_output.moc"
