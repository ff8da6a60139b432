// Listening through the VoiceInput seam, end to end: a recording named by
// PELLWORKS_MIC_FILE is heard as a command, periods end and stay quiet after stop(),
// and a machine without a microphone or a speech model never hears anything. Last, a
// listening character turns what was said into a Command event with the command's Name.

#include "../runtime/runtime_test_support.h"
#include "speech_fixtures.h"

#include "agent/voice/device_microphone.h"
#include "agent/voice/recorded_microphone.h"
#include "agent/voice/sphinx_voice_input.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pw::voice;
using namespace pw::test;

namespace {

const TestVoice voice{TestVoice::Espeak, QStringLiteral("en-us+klatt"), 50, 175};

}  // namespace

class VoiceInputTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString said_banana;
    QString said_cancel;
    QString said_nothing;

private Q_SLOTS:
    void initTestCase()
    {
        said_banana = dir.filePath(QStringLiteral("banana.wav"));
        said_cancel = dir.filePath(QStringLiteral("cancel.wav"));
        said_nothing = dir.filePath(QStringLiteral("silence.wav"));
        QVERIFY(write_wav(spoken(voice, QStringLiteral("banana"), 400, 200), said_banana));
        QVERIFY(write_wav(spoken(voice, QStringLiteral("cancel"), 400, 200), said_cancel));
        QVERIFY(write_wav(silence(500), said_nothing));
    }

    void the_microphone_file_is_heard_as_a_command()
    {
        qputenv("PELLWORKS_MIC_FILE", said_banana.toUtf8());
        SphinxVoiceInput input;
        qunsetenv("PELLWORKS_MIC_FILE");
        QSignalSpy started(&input, &VoiceInput::speech_started);
        QSignalSpy heard(&input, &VoiceInput::heard);
        QSignalSpy nothing(&input, &VoiceInput::nothing_heard);

        // Each opening hears the recording again, from its start.
        for (int period = 0; period < 2; ++period) {
            input.start({QStringLiteral("Yes"), QStringLiteral("Banana")});
            QVERIFY(heard.wait(10000));
            QCOMPARE(heard.takeFirst().value(0).toString(), QStringLiteral("Banana"));
            QCOMPARE(started.size(), period + 1);
            QVERIFY(!input.listening());
        }
        QTest::qWait(300);
        QCOMPARE(heard.size(), 0);
        QCOMPARE(nothing.size(), 0);
    }

    void new_phrases_replace_the_old_while_listening()
    {
        qputenv("PELLWORKS_MIC_FILE", said_banana.toUtf8());
        SphinxVoiceInput input;
        qunsetenv("PELLWORKS_MIC_FILE");
        QSignalSpy heard(&input, &VoiceInput::heard);
        input.start({QStringLiteral("yes")});
        input.start({QStringLiteral("yes"), QStringLiteral("(banana | bandana) [split]")});
        QVERIFY(heard.wait(10000));
        QCOMPARE(heard.takeFirst().value(0).toString(), QStringLiteral("(banana | bandana) [split]"));
    }

    void a_stopped_period_reports_nothing()
    {
        qputenv("PELLWORKS_MIC_FILE", said_banana.toUtf8());
        SphinxVoiceInput input;
        qunsetenv("PELLWORKS_MIC_FILE");
        QSignalSpy started(&input, &VoiceInput::speech_started);
        QSignalSpy heard(&input, &VoiceInput::heard);
        input.start({QStringLiteral("banana")});
        QVERIFY(started.wait(10000));
        input.stop();
        QTest::qWait(1500);
        QCOMPARE(heard.size(), 0);
    }

    void quiet_ends_the_period_with_nothing_heard()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.quiet_ms = 800;
        const QString path = said_nothing;
        SphinxVoiceInput input(settings, [path] { return std::make_unique<RecordedMicrophone>(path); });
        QSignalSpy nothing(&input, &VoiceInput::nothing_heard);
        QSignalSpy heard(&input, &VoiceInput::heard);
        input.start({QStringLiteral("banana")});
        QVERIFY(nothing.wait(5000));
        QTest::qWait(1200);  // one report per period
        QCOMPARE(nothing.size(), 1);
        QCOMPARE(heard.size(), 0);
    }

    void no_microphone_or_no_model_hears_nothing_and_never_hangs()
    {
        if (QMediaDevices::defaultAudioInput().isNull()) {
            RecogniserSettings settings = RecogniserSettings::defaults();
            settings.quiet_ms = 300;
            SphinxVoiceInput input(settings, [] { return std::make_unique<DeviceMicrophone>(); });
            QSignalSpy heard(&input, &VoiceInput::heard);
            QSignalSpy nothing(&input, &VoiceInput::nothing_heard);
            input.start({QStringLiteral("banana")});
            QTest::qWait(1000);
            // No audio at all: not even "nothing heard"; the listener's own timeout ends it.
            QCOMPARE(heard.size() + nothing.size(), 0);
            input.stop();
        }

        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.model_dir = dir.filePath(QStringLiteral("no-model"));
        const QString path = said_banana;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Speech recognition is not available")));
        SphinxVoiceInput input(settings, [path] { return std::make_unique<RecordedMicrophone>(path); });
        QSignalSpy heard(&input, &VoiceInput::heard);
        QSignalSpy started(&input, &VoiceInput::speech_started);
        input.start({QStringLiteral("banana")});
        QTest::qWait(1200);
        QCOMPARE(heard.size() + started.size(), 0);
    }

    void a_listening_character_gets_the_command_name()
    {
        qputenv("PELLWORKS_MIC_FILE", said_cancel.toUtf8());
        SphinxVoiceInput input;
        qunsetenv("PELLWORKS_MIC_FILE");
        RuntimeFixture fx;
        pw::agent::RuntimeOptions options = RuntimeFixture::quick_options();
        options.voice_input = &input;
        options.timings.listen_timeout_ms = 10000;
        fx.platform(options);
        pw::agent::Character* c = fx.load(QStringLiteral("Kit"));
        c->show(true);
        c->commands().add(QStringLiteral("Quit"), QStringLiteral("&Quit"), QString(), true, true);
        c->commands().add(QStringLiteral("Cancel Script"), QStringLiteral("&Cancel Script"),
                          QStringLiteral("Cancel [Script]"), true, true);
        c->commands().add(QStringLiteral("banana"), QStringLiteral("banana"), QStringLiteral("banana"), true, false);
        spin(20);
        RuntimeFixture::clear_lines();
        QVERIFY(c->listen(true));
        QVERIFY(wait_until([] { return !RuntimeFixture::events_named(QStringLiteral("ListenComplete")).isEmpty(); },
                           10000));
        // Only "cancel" was said: the optional word may be left out.
        QCOMPARE(RuntimeFixture::events_named(QStringLiteral("Command")),
                 QStringList{QStringLiteral("Command \"Cancel Script\" Kit")});
        QCOMPARE(RuntimeFixture::events_named(QStringLiteral("ListenComplete")),
                 QStringList{QStringLiteral("ListenComplete Kit 5")});
    }
};

QTEST_MAIN(VoiceInputTest)
#include "test_voice_input.moc"
