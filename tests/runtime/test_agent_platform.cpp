// Loading and unloading characters: files on disk, errors, ids, and what unloading
// leaves behind.

#include "tests/test_classes.h"
#include "agent/acs/acs_writer.h"
#include "agent/runtime/character_agent.h"
#include "platform/core/trace.h"
#include "runtime_test_support.h"
#include "tests/thrown_error.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pw;
using namespace pw::agent;
using pw::test::RecordingView;
using pw::test::RuntimeFixture;
using pw::test::completes;
using pw::test::wait_until;

namespace {

uint32_t load_error(AgentPlatform& p, const QString& id, const QString& path)
{
    return pw::test::thrown_error([&] { p.load(id, path); }).number();
}

}  // namespace

class AgentPlatformTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }
    void a_character_file_loads_hidden_and_its_request_ends_from_the_event_loop();
    void ids_are_unique_and_found_without_regard_to_case();
    void files_that_are_not_characters_are_refused();
    void unloading_ends_requests_and_closes_windows();

private:
    QString write_sketch(const QString& name)
    {
        const QString path = dir_->filePath(name);
        acs::write_acs_file(pw::test::standard_character().data, path);
        return path;
    }
    QString write_file(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir_->filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void AgentPlatformTest::a_character_file_loads_hidden_and_its_request_ends_from_the_event_loop()
{
    RuntimeFixture fx;
    AgentPlatform& p = fx.platform();
    const QString path = write_sketch(QStringLiteral("Kit.acs"));
    RuntimeFixture::clear_lines();
    const Request r = p.load(QStringLiteral("Kit"), path);
    QCOMPARE(r.status(), int(Request::InProgress));
    QVERIFY(RuntimeFixture::events().isEmpty());
    QVERIFY(wait_until([&] { return RuntimeFixture::events().size() == 2; }));
    QCOMPARE(r.status(), int(Request::Complete));
    QCOMPARE(RuntimeFixture::events(),
             (QStringList{QStringLiteral("RequestStart %1 Kit Load 4").arg(r.id()),
                          QStringLiteral("RequestComplete %1 Kit Load 0").arg(r.id())}));
    QCOMPARE(RuntimeFixture::lines().first(), QStringLiteral("request Kit Load %1").arg(trace::quote(path)));

    Character* c = p.item(QStringLiteral("Kit"));
    QCOMPARE(c->id(), QStringLiteral("Kit"));
    QVERIFY(!c->visible());
    QVERIFY(!fx.view()->visible);
    QCOMPARE(c->name(), QStringLiteral("Sketchy"));
    QCOMPARE(c->animation_names().size(), pw::test::standard_character().data.animations.size());
    const Request show = c->show();
    QVERIFY(completes(show));
    QCOMPARE(fx.view()->tags.mid(0, 2), (QList<int>{10, 11}));  // the file's frames, drawn
}

void AgentPlatformTest::ids_are_unique_and_found_without_regard_to_case()
{
    RuntimeFixture fx;
    AgentPlatform& p = fx.platform();
    const QString path = write_sketch(QStringLiteral("Kit.acs"));
    p.load(QStringLiteral("Kit"), path);
    QVERIFY(p.is_loaded(QStringLiteral("KIT")));
    QCOMPARE(p.item(QStringLiteral("kIT")), p.item(QStringLiteral("Kit")));
    QCOMPARE(load_error(p, QStringLiteral("kit"), path), error::character_already_loaded);
    QCOMPARE(pw::test::thrown_error([&] { p.item(QStringLiteral("Nobody")); }).number(), error::character_invalid);
    // The same file under another id: a second character sharing one description.
    p.load(QStringLiteral("Twin"), path);
    QVERIFY(p.item(QStringLiteral("Twin")) != p.item(QStringLiteral("Kit")));
    QCOMPARE(&p.agent(QStringLiteral("Twin"))->data(), &p.agent(QStringLiteral("Kit"))->data());
    QCOMPARE(fx.views.size(), 2);
}

void AgentPlatformTest::files_that_are_not_characters_are_refused()
{
    RuntimeFixture fx;
    AgentPlatform& p = fx.platform();
    QCOMPARE(load_error(p, QStringLiteral("A"), dir_->filePath(QStringLiteral("missing.acs"))), error::file_not_found);

    const QString notes = write_file(QStringLiteral("notes.acs"), "Dear diary, today I was a character file.");
    QCOMPARE(load_error(p, QStringLiteral("B"), notes), error::not_a_character);
    const QByteArray whole = acs::write_acs(pw::test::standard_character().data);
    const QString cut = write_file(QStringLiteral("cut.acs"), whole.left(whole.size() / 2));
    QVERIFY(!cut.isEmpty() && load_error(p, QStringLiteral("C"), cut) != 0);

    QVERIFY(!p.is_loaded(QStringLiteral("A")) && !p.is_loaded(QStringLiteral("B")) &&
            !p.is_loaded(QStringLiteral("C")));
    QVERIFY(fx.views.isEmpty());  // no window was made for a failed load
}

void AgentPlatformTest::unloading_ends_requests_and_closes_windows()
{
    RuntimeFixture fx;
    AgentPlatform& p = fx.platform();
    const int before = RecordingView::alive;
    Character* c = fx.load(QStringLiteral("Kit"));
    QCOMPARE(RecordingView::alive, before + 1);
    c->show(true);
    const Request loop = c->play(QStringLiteral("Loop"));
    const Request wave = c->play(QStringLiteral("Wave"));
    QVERIFY(wait_until([&] { return loop.status() == Request::InProgress; }));
    RuntimeFixture::clear_lines();
    p.unload(QStringLiteral("kit"));
    QCOMPARE(RecordingView::alive, before);
    QVERIFY(!p.is_loaded(QStringLiteral("Kit")));
    QCOMPARE(loop.status(), int(Request::Interrupted));
    QCOMPARE(wave.status(), int(Request::Interrupted));
    QVERIFY(wait_until([&] { return RuntimeFixture::events_named(QStringLiteral("RequestComplete")).size() == 2; }));
    p.unload(QStringLiteral("kit"));  // unknown ids are ignored

    // The id is free again.
    Character* again = fx.load(QStringLiteral("Kit"));
    QVERIFY(completes(again->play(QStringLiteral("Blink"))));

    // Unloaded while it speaks (through the real audio output) and with the start of its
    // next request posted: nothing reaches the half-gone character, even when events
    // run while its window closes.
    Character* talker = fx.load(QStringLiteral("Tal"));
    RecordingView* talker_view = fx.last_view();
    talker->show(true);
    const Request speech = talker->speak(QStringLiteral("Hello there, how are you today?"));
    QVERIFY(wait_until([&] { return talker_view->balloon.has_value(); }));
    const Request next = talker->play(QStringLiteral("Wave"));
    talker_view->when_closed = [] { QCoreApplication::processEvents(); };
    p.unload(QStringLiteral("Tal"));
    QCOMPARE(speech.status(), int(Request::Interrupted));
    QCOMPARE(next.status(), int(Request::Interrupted));
    QVERIFY(completes(again->play(QStringLiteral("Wave"))));
}

PW_TEST_CLASS(AgentPlatformTest);
#include "test_agent_platform.moc"
