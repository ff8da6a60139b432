// The wave device and the program starter, as scripts use them: a sound ends when it
// should even without speakers, a missing sound never leaves anyone waiting, and a
// command line starts a program without a shell, in the environment the program was
// started with, or says it could not; one Pellworks per user, which no other program
// can keep from starting or flood.

#include "agent/acs/wav_audio.h"
#include "platform/desktop/program_starter.h"
#include "platform/desktop/single_instance.h"
#include "agent/voice/wave_device.h"
#include "tests/test_classes.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using pw::voice::WaveDevice;

class TestDesktopServices : public QObject {
    Q_OBJECT

private slots:
    void a_sound_is_done_once_from_the_event_loop_unless_stopped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tone.wav"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pw::acs::encode_wav(pw::acs::PcmAudio{11025, 1, QByteArray(11025 * 2 * 4 / 10, '\x10')}));  // 400 ms
        f.close();
        WaveDevice device;
        QSignalSpy done(&device, &WaveDevice::done);
        device.play(path);
        QVERIFY(done.wait(5000));
        QVERIFY(!device.is_playing());
        device.play(path);
        QTest::qWait(50);
        device.stop();
        QTest::qWait(600);
        QCOMPARE(done.count(), 1);

        // One that cannot be read is done at once, but never from inside play().
        const QString missing = dir.filePath(QStringLiteral("nothing.wav"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing\\.wav")));
        device.play(missing);
        QCOMPARE(done.count(), 1);
        QVERIFY(done.wait(500));
        // Stopped before the event loop ran: no done after all.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing\\.wav")));
        device.play(missing);
        device.stop();
        QTest::qWait(100);
        QCOMPARE(done.count(), 2);
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

    void one_instance_answers_only_a_bounded_request_and_no_squatter_stops_a_start()
    {
        const QString name = QStringLiteral("pellworks-services-test");
        const QString path = pw::platform::SingleInstance::socket_path(name);
        QVERIFY(path.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
        QLocalServer::removeServer(path);

        // Something holds the name and never answers: Pellworks starts all the same,
        // and later starts find it.
        QLocalServer squatter;
        QVERIFY(squatter.listen(path));
        pw::platform::SingleInstance first(name);
        QVERIFY(first.claim({}));
        QVERIFY((QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ReadGroup)) == 0);
        QSignalSpy handed(&first, &pw::platform::SingleInstance::command_line_received);

        // A peer that sends without end is cut off, and nothing grows.
        QLocalSocket endless;
        endless.connectToServer(path);
        QVERIFY(endless.waitForConnected(1000));
        const QByteArray chunk(1 << 16, 'x');
        qint64 sent = 0;
        while (endless.state() == QLocalSocket::ConnectedState && sent < (64 << 20)) {
            sent += endless.write(chunk);
            endless.waitForBytesWritten(10);
            QCoreApplication::processEvents();
        }
        QCOMPARE(endless.state(), QLocalSocket::UnconnectedState);
        QVERIFY(sent < (16 << 20));
        QCOMPARE(handed.size(), 0);

        // A second start (another thread here: claim() waits) hands over its arguments.
        const QStringList arguments{QStringLiteral("load"), QStringLiteral("/my \"tea\"\nparty.csp")};
        bool second_alone = true;
        QThread* second = QThread::create([&] {
            pw::platform::SingleInstance s(name);
            second_alone = s.claim(arguments);
        });
        second->start();
        QVERIFY(handed.wait(5000));
        QVERIFY(second->wait(5000));
        delete second;
        QVERIFY(!second_alone);
        QCOMPARE(handed[0][0].toStringList(), arguments);
    }
};

PW_TEST_CLASS(TestDesktopServices);
#include "test_desktop_services.moc"
