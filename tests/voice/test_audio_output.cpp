// Playing clips: with no sound device (as on CI) the timeline runs silently on the
// monotonic clock and still ends on time; stop() ends it without a finished().

#include "agent/voice/audio_output.h"

#include <QElapsedTimer>
#include <QMediaDevices>
#include <QAudioDevice>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <cmath>

using namespace pw::voice;
using pw::acs::PcmAudio;

namespace {

PcmAudio tone(int ms, int rate = 22050)
{
    PcmAudio audio;
    audio.sample_rate = rate;
    audio.channels = 1;
    const int n = rate * ms / 1000;
    audio.samples.resize(n * 2);
    for (int i = 0; i < n; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(i * 0.1)), audio.samples.data() + 2 * i);
    return audio;
}

}  // namespace

class AudioOutputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void a_clip_finishes_close_to_its_duration()
    {
        AudioOutput out;
        QSignalSpy finished(&out, &AudioOutput::finished);
        QElapsedTimer timer;
        timer.start();
        out.start(tone(600), 600);
        QVERIFY(out.is_playing());
        QCOMPARE(finished.count(), 0);

        QTest::qWait(250);
        const qint64 mid = out.position_ms();
        if (out.is_silent()) QVERIFY2(mid >= 150 && mid <= 450, qPrintable(QString::number(mid)));

        QVERIFY(finished.wait(5000));
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= 550, qPrintable(QString::number(took)));
        if (out.is_silent()) QVERIFY2(took < 1500, qPrintable(QString::number(took)));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!out.is_playing());
        QCOMPARE(out.position_ms(), 600);
    }

    void without_a_device_the_output_says_it_is_silent()
    {
        if (!QMediaDevices::defaultAudioOutput().isNull()) QSKIP("this machine has a sound device");
        AudioOutput out;
        out.start(tone(100), 100);
        QVERIFY(out.is_silent());
        QSignalSpy finished(&out, &AudioOutput::finished);
        QVERIFY(finished.wait(2000));
    }

    void position_never_goes_back()
    {
        AudioOutput out;
        out.start(tone(300), 300);
        qint64 last = 0;
        while (out.is_playing()) {
            const qint64 p = out.position_ms();
            QVERIFY(p >= last);
            QVERIFY(p <= 300);
            last = p;
            QTest::qWait(20);
        }
        QCOMPARE(out.position_ms(), 300);
    }

    void stop_and_restart_suppress_the_old_ending()
    {
        AudioOutput out;
        QSignalSpy finished(&out, &AudioOutput::finished);
        out.start(tone(200), 200);
        QTest::qWait(50);
        out.stop();
        QVERIFY(!out.is_playing());
        const qint64 stopped_at = out.position_ms();
        QTest::qWait(400);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(out.position_ms(), stopped_at);
        out.stop();  // harmless twice

        // A new start() replaces the running clip: only the second one ends.
        QElapsedTimer timer;
        timer.start();
        out.start(tone(200), 200);
        QTest::qWait(100);
        out.start(tone(300), 300);
        QVERIFY(finished.wait(5000));
        QVERIFY(timer.elapsed() >= 380);
        QTest::qWait(300);
        QCOMPARE(finished.count(), 1);
    }

    void a_clip_without_audio_keeps_its_timeline()
    {
        AudioOutput out;
        QSignalSpy finished(&out, &AudioOutput::finished);
        QElapsedTimer timer;
        timer.start();
        out.start(PcmAudio{}, 250);
        QVERIFY(out.is_silent());
        QVERIFY(finished.wait(2000));
        QVERIFY(timer.elapsed() >= 240 && timer.elapsed() < 1000);

        out.start(PcmAudio{}, 0);  // nothing to say: ends at the next turn of the loop
        QCOMPARE(finished.count(), 1);
        QVERIFY(finished.wait(1000));
    }

    void restarting_from_the_finished_handler_works()
    {
        AudioOutput out;
        int endings = 0;
        connect(&out, &AudioOutput::finished, &out, [&] {
            if (++endings < 3) out.start(tone(50), 50);
        });
        out.start(tone(50), 50);
        QTRY_COMPARE(endings, 3);
        QVERIFY(!out.is_playing());
    }
};

QTEST_GUILESS_MAIN(AudioOutputTest)
#include "test_audio_output.moc"
