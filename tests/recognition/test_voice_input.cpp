// Listening through the VoiceInput seam: new phrases replace the old, and a stopped
// period and a quiet one report nothing more.
// Nothing is checked after a sleep: where nothing may happen, the audio is fed by hand
// on the listening thread, so whatever it caused has been reported when feeding returns.

#include "speech_fixtures.h"

#include "agent/voice/sphinx_voice_input.h"
#include "tests/test_classes.h"

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

}  // namespace

class VoiceInputTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString said_banana;

private Q_SLOTS:
    void initTestCase()
    {
        said_banana = dir.filePath(QStringLiteral("banana.wav"));
        QVERIFY(write_wav(spoken(voice, QStringLiteral("banana"), 400, 200), said_banana));
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
};

PW_TEST_CLASS(VoiceInputTest);
#include "test_voice_input.moc"
