// Listening through the VoiceInput seam: new phrases replace the old, a stopped period
// and a quiet one report nothing more, and a machine without a speech model never
// hears anything. Last, a
// listening character turns what was said into a Command event with the command's Name.
// Nothing is checked after a sleep: where nothing may happen, the audio is fed by hand
// on the listening thread, so whatever it caused has been reported when feeding returns.

#include "../runtime/runtime_test_support.h"
#include "speech_fixtures.h"

#include "agent/voice/recorded_microphone.h"
#include "agent/voice/sphinx_voice_input.h"
#include "tests/test_classes.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstring>

using namespace pw::voice;
using namespace pw::test;

namespace {

const TestVoice voice{TestVoice::Espeak, QStringLiteral("en-us+klatt"), 50, 175};

// A microphone fed by hand. It lives on the listening thread; feed() delivers the next
// `ms` of its recording (silence past the end) even while closed, as blocks already on
// their way do.
class HandFedMicrophone : public Microphone {
public:
    explicit HandFedMicrophone(QByteArray recording) : recording_(std::move(recording)) {}
    void open() override { at_ = 0; }
    void close() override {}

    void feed(int ms)
    {
        QByteArray block(qsizetype(ms) * 32, '\0');
        const qsizetype n = std::clamp<qsizetype>(recording_.size() - at_, 0, block.size());
        if (n > 0) std::memcpy(block.data(), recording_.constData() + at_, size_t(n));
        at_ += block.size();
        Q_EMIT audio(block);
    }

private:
    QByteArray recording_;
    qsizetype at_ = 0;
};

// Listening with a hand-fed microphone.
struct HandFedInput {
    explicit HandFedInput(const QByteArray& recording, RecogniserSettings settings = RecogniserSettings::defaults())
        : input(settings, [this, recording] {
              auto mic = std::make_unique<HandFedMicrophone>(recording);
              microphone = mic.get();
              return mic;
          })
    {
    }

    // Feeds `ms` of audio on the listening thread, then lets its reports arrive here.
    bool feed(int ms)
    {
        if (!QTest::qWaitFor([this] { return microphone.load() != nullptr; }, 10000)) return false;
        HandFedMicrophone* mic = microphone;
        QMetaObject::invokeMethod(mic, [mic, ms] { mic->feed(ms); }, Qt::BlockingQueuedConnection);
        QCoreApplication::sendPostedEvents();
        return true;
    }

    std::atomic<HandFedMicrophone*> microphone{nullptr};
    SphinxVoiceInput input;
    QSignalSpy started{&input, &VoiceInput::speech_started};
    QSignalSpy heard{&input, &VoiceInput::heard};
    QSignalSpy nothing{&input, &VoiceInput::nothing_heard};
};

// Counts warnings that match, for a check that waits for one.
struct WarningWatch {
    explicit WarningWatch(QString pattern)
    {
        watch_pattern() = QRegularExpression(pattern);
        seen() = 0;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtWarningMsg && watch_pattern().match(text).hasMatch()) ++seen();
            else if (WarningWatch::previous) WarningWatch::previous(type, context, text);
        });
    }
    ~WarningWatch() { qInstallMessageHandler(previous); }

    static QRegularExpression& watch_pattern()
    {
        static QRegularExpression p;
        return p;
    }
    static std::atomic<int>& seen()
    {
        static std::atomic<int> n{0};
        return n;
    }
    static inline QtMessageHandler previous = nullptr;
};

}  // namespace

class VoiceInputTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString said_banana;
    QString said_cancel;

private Q_SLOTS:
    void initTestCase()
    {
        said_banana = dir.filePath(QStringLiteral("banana.wav"));
        said_cancel = dir.filePath(QStringLiteral("cancel.wav"));
        QVERIFY(write_wav(spoken(voice, QStringLiteral("banana"), 400, 200), said_banana));
        QVERIFY(write_wav(spoken(voice, QStringLiteral("cancel script"), 400, 200), said_cancel));
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

    void a_stopped_or_ended_period_reports_nothing_more()
    {
        // Stopped once the speech has begun: the rest of the word is not heard.
        HandFedInput fed(spoken(voice, QStringLiteral("banana"), 400, 200));
        fed.input.start({QStringLiteral("banana")});
        for (int block = 0; block < 20 && fed.started.isEmpty(); ++block) QVERIFY(fed.feed(100));
        QCOMPARE(fed.started.size(), 1);
        QCOMPARE(fed.heard.size(), 0);
        fed.input.stop();
        QVERIFY(fed.feed(3000));
        QCOMPARE(fed.heard.size() + fed.nothing.size(), 0);

        // Quiet ends a period once; more quiet says nothing more.
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.quiet_ms = 800;
        HandFedInput quiet(silence(100), settings);
        quiet.input.start({QStringLiteral("banana")});
        QVERIFY(quiet.feed(1200));
        QCOMPARE(quiet.nothing.size(), 1);
        QVERIFY(!quiet.input.listening());
        QVERIFY(quiet.feed(2000));
        QCOMPARE(quiet.nothing.size(), 1);
        QCOMPARE(quiet.heard.size() + quiet.started.size(), 0);
    }

    void without_a_speech_model_nothing_is_heard()
    {
        RecogniserSettings settings = RecogniserSettings::defaults();
        settings.model_dir = dir.filePath(QStringLiteral("no-model"));
        const WarningWatch warning(QStringLiteral("^Speech recognition is not available"));
        const QString path = said_banana;
        std::atomic<int> microphones{0};
        SphinxVoiceInput input(settings, [path, &microphones] {
            ++microphones;
            return std::make_unique<RecordedMicrophone>(path);
        });
        QSignalSpy heard(&input, &VoiceInput::heard);
        QSignalSpy started(&input, &VoiceInput::speech_started);
        input.start({QStringLiteral("banana")});
        // The period gave up before any microphone opened: nothing can be heard.
        QTRY_COMPARE_WITH_TIMEOUT(WarningWatch::seen().load(), 1, 10000);
        QCOMPARE(microphones.load(), 0);
        QCoreApplication::sendPostedEvents();
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
        QCOMPARE(RuntimeFixture::events_named(QStringLiteral("Command")),
                 QStringList{QStringLiteral("Command \"Cancel Script\" Kit")});
        QCOMPARE(RuntimeFixture::events_named(QStringLiteral("ListenComplete")),
                 QStringList{QStringLiteral("ListenComplete Kit 5")});
    }
};

PW_TEST_CLASS(VoiceInputTest);
#include "test_voice_input.moc"
