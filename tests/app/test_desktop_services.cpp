// The wave device and the program starter, as scripts use them: a sound ends when it
// should even without speakers, a missing sound never leaves anyone waiting, and a
// command line starts a program without a shell, in the environment the program was
// started with, or says it could not.

#include "agent/acs/wav_audio.h"
#include "platform/desktop/program_starter.h"
#include "platform/desktop/wave_device.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using pw::platform::WaveDevice;

class TestDesktopServices : public QObject {
    Q_OBJECT

private slots:
    void a_sound_is_done_after_about_its_length_unless_stopped()
    {
        QTemporaryDir dir;
        pw::acs::PcmAudio tone{11025, 1, QByteArray(11025 * 2 * 4 / 10, '\x10')};  // 400 ms
        const QString path = dir.filePath(QStringLiteral("tone.wav"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pw::acs::encode_wav(tone));
        f.close();

        WaveDevice device;
        QSignalSpy done(&device, &WaveDevice::done);
        QElapsedTimer t;
        t.start();
        device.play(path);
        QVERIFY(done.wait(5000));
        // Silent playback runs on the clock; a real device may lag a little.
        QVERIFY2(t.elapsed() >= 380 && t.elapsed() <= 2500, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!device.is_playing());

        device.play(path);
        QTest::qWait(50);
        device.stop();
        QTest::qWait(600);
        QCOMPARE(done.count(), 1);
    }

    void an_unreadable_sound_is_done_at_once_from_the_event_loop()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nothing.wav"));
        WaveDevice device;
        QSignalSpy done(&device, &WaveDevice::done);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing\\.wav")));
        device.play(missing);
        QCOMPARE(done.count(), 0);  // not from inside play()
        QVERIFY(done.wait(500));

        // Stopped before the event loop ran: no done after all.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing\\.wav")));
        device.play(missing);
        device.stop();
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
    }

    void programs_start_without_a_shell_or_report_that_they_cannot()
    {
        // What the program changes in its own environment after start-up stays its own.
        qputenv("PW_STARTER_TEST", "as started");
        pw::platform::remember_start_environment();
        qputenv("PW_STARTER_TEST", "changed since");
        qputenv("QT_QPA_PLATFORM", "pellworks-own");

        for (const char* line : {"", "   ", "\"\" x", "no-such-program-pellworks-test --help", "/nonexistent/prog"})
            QVERIFY2(!pw::platform::start_program(QString::fromLatin1(line)), line);

        // Quotes group one argument; no shell means no globbing and no expansion.
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("a b $HOME *.txt"));
        QVERIFY(pw::platform::start_program(QStringLiteral("touch \"%1\"").arg(target)));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(target), 5000);

        const QString env = dir.filePath(QStringLiteral("env.txt"));
        QVERIFY(pw::platform::start_program(QStringLiteral("sh -c \"env > '%1.part' && mv '%1.part' '%1'\"").arg(env)));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env), 5000);
        QFile seen(env);
        QVERIFY(seen.open(QIODevice::ReadOnly));
        const QString lines = QLatin1Char('\n') + QString::fromLocal8Bit(seen.readAll());
        QVERIFY2(lines.contains(QStringLiteral("\nPW_STARTER_TEST=as started\n")), qPrintable(lines));
        QVERIFY(!lines.contains(QStringLiteral("pellworks-own")));
    }
};

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "test_desktop_services.moc"
