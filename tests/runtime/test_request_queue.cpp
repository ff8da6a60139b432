// The request queue as a program sees it: statuses, the order of events, Stop, StopAll
// and Wait across characters, errors that come at once, and the trace.

#include "tests/test_classes.h"
#include "runtime_test_support.h"
#include "tests/thrown_error.h"

#include <QSignalSpy>
#include <QTest>

using namespace pw;
using namespace pw::agent;
using pw::test::RuntimeFixture;
using pw::test::completes;
using pw::test::wait_until;

namespace {

QString start_line(const Request& r, const QString& who, const QString& op)
{
    return QStringLiteral("RequestStart %1 %2 %3 4").arg(r.id()).arg(who, op);
}

QString complete_line(const Request& r, const QString& who, const QString& op, int status = 0)
{
    return QStringLiteral("RequestComplete %1 %2 %3 %4").arg(r.id()).arg(who, op).arg(status);
}

}  // namespace

class RequestQueueTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requests_run_in_order_and_their_events_come_from_the_event_loop();
    void unknown_animations_fail_at_once_and_queue_nothing();
    void stop_interrupts_the_current_request_and_empties_the_queue();
    void stop_of_one_request_and_stop_all_of_some_kinds();
    void wait_holds_a_queue_until_another_characters_request_ends();
    void a_looping_animation_ends_when_the_next_request_arrives();
    void requests_and_property_writes_are_traced();
};

void RequestQueueTest::requests_run_in_order_and_their_events_come_from_the_event_loop()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RuntimeFixture::clear_lines();
    QSignalSpy completed(&fx.platform(), &AgentControl::RequestComplete);

    const Request show = c->show();
    const Request wave = c->play(QStringLiteral("wave"));  // names are not case-sensitive
    const Request blink = c->play(QStringLiteral("Blink"));
    QCOMPARE(show.status(), int(Request::Pending));
    QCOMPARE(wave.status(), int(Request::Pending));
    QVERIFY(RuntimeFixture::events().isEmpty());  // nothing inside the calls
    QVERIFY(show != wave && show.id() > 0);

    QVERIFY(completes(blink));
    QVERIFY(wait_until([&] { return completed.size() == 3; }));
    QCOMPARE(RuntimeFixture::events_named(QStringLiteral("RequestStart")) +
                 RuntimeFixture::events_named(QStringLiteral("RequestComplete")),
             (QStringList{start_line(show, "Kit", "Show"), start_line(wave, "Kit", "Play"),
                          start_line(blink, "Kit", "Play"), complete_line(show, "Kit", "Show"),
                          complete_line(wave, "Kit", "Play"), complete_line(blink, "Kit", "Play")}));
    // Each start comes before its own completion, and the next start after it.
    const QStringList ev = RuntimeFixture::events();
    QVERIFY(ev.indexOf(complete_line(show, "Kit", "Show")) < ev.indexOf(start_line(wave, "Kit", "Play")));
    QVERIFY(ev.indexOf(complete_line(wave, "Kit", "Play")) < ev.indexOf(start_line(blink, "Kit", "Play")));
    // The signal hands out the same request the call returned.
    QCOMPARE(completed[1][0].value<Request>(), wave);
    QCOMPARE(fx.view()->tags.mid(fx.view()->tags.indexOf(10)), (QList<int>{10, 11, 30, 31, 32, 90, 98}));
}

void RequestQueueTest::unknown_animations_fail_at_once_and_queue_nothing()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RuntimeFixture::clear_lines();
    const AgentError moonwalk = pw::test::thrown_error([&] { c->play(QStringLiteral("Moonwalk")); });
    QCOMPARE(moonwalk.number(), error::animation_not_found);
    QVERIFY(moonwalk.text().contains(QLatin1String("Moonwalk")));
    // The next request's events are the first to come, its frames the first shown.
    const Request blink = c->play(QStringLiteral("Blink"));
    QVERIFY(wait_until([&] { return RuntimeFixture::events().size() == 2; }));
    QCOMPARE(RuntimeFixture::events(),
             (QStringList{start_line(blink, "Kit", "Play"), complete_line(blink, "Kit", "Play")}));
    QCOMPARE(fx.view()->tags, (QList<int>{90, 98}));
}

void RequestQueueTest::stop_interrupts_the_current_request_and_empties_the_queue()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    const Request loop = c->play(QStringLiteral("Loop"));
    QVERIFY(wait_until([&] { return RuntimeFixture::events().contains(start_line(loop, "Kit", "Play")); }));
    const Request wave = c->play(QStringLiteral("Wave"));
    const Request blink = c->play(QStringLiteral("Blink"));
    RuntimeFixture::clear_lines();
    c->stop();
    QCOMPARE(loop.status(), int(Request::Interrupted));
    QCOMPARE(wave.status(), int(Request::Interrupted));
    QCOMPARE(blink.status(), int(Request::Interrupted));
    QVERIFY(RuntimeFixture::events().isEmpty());
    QVERIFY(wait_until([&] { return RuntimeFixture::events().size() == 3; }));
    QCOMPARE(RuntimeFixture::events(),
             (QStringList{complete_line(loop, "Kit", "Play", 3), complete_line(wave, "Kit", "Play", 3),
                          complete_line(blink, "Kit", "Play", 3)}));

    // The character is free again: the next request runs normally.
    QVERIFY(completes(c->play(QStringLiteral("Blink"))));
    QVERIFY(RuntimeFixture::events_named(QStringLiteral("RequestStart")).size() == 1);
}

void RequestQueueTest::stop_of_one_request_and_stop_all_of_some_kinds()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    const Request show = c->show();
    QVERIFY(completes(show));
    pw::test::spin(20);
    RuntimeFixture::clear_lines();

    const Request loop = c->play(QStringLiteral("Loop"));
    const Request think = c->think(QStringLiteral("hm"));
    const Request move = c->move_to(40, 40, 100);
    const Request speak = c->speak(QStringLiteral("hello"));
    const Request hide = c->hide();
    QVERIFY(wait_until([&] { return loop.status() == Request::InProgress; }));

    c->stop(move);
    QCOMPARE(move.status(), int(Request::Interrupted));
    QCOMPARE(loop.status(), int(Request::InProgress));

    c->stop_all(QStringLiteral(" SPEAK "));  // speak and think, case and blanks ignored
    QCOMPARE(think.status(), int(Request::Interrupted));
    QCOMPARE(speak.status(), int(Request::Interrupted));
    QCOMPARE(hide.status(), int(Request::Pending));

    c->stop_all(QStringLiteral("move,Get"));  // nothing of those kinds is left
    QCOMPARE(hide.status(), int(Request::Pending));
    c->stop_all(QStringLiteral("Play"));      // play, show and hide
    QCOMPARE(loop.status(), int(Request::Interrupted));
    QCOMPARE(hide.status(), int(Request::Interrupted));
    QVERIFY(wait_until([&] {
        return RuntimeFixture::events_named(QStringLiteral("RequestComplete")).size() == 5;
    }));
    // Removed requests never started.
    for (const Request& r : {think, move, speak, hide})
        for (const QString& e : RuntimeFixture::events_named(QStringLiteral("RequestStart")))
            QVERIFY(!e.startsWith(QStringLiteral("RequestStart %1 ").arg(r.id())));
    QVERIFY(fx.view()->visible);
}

void RequestQueueTest::wait_holds_a_queue_until_another_characters_request_ends()
{
    RuntimeFixture fx;
    Character* a = fx.load(QStringLiteral("Ann"));
    Character* b = fx.load(QStringLiteral("Bob"));
    const Request loop = b->play(QStringLiteral("Loop"));  // never ends on its own
    const Request wait = a->wait(loop);
    const Request wave = a->play(QStringLiteral("Wave"));
    // Still held once the other's loop has come round a few times.
    QVERIFY(wait_until([&] { return fx.view(1)->tags.count(50) >= 3; }));
    QCOMPARE(wait.status(), int(Request::InProgress));
    QCOMPARE(wave.status(), int(Request::Pending));

    // Any end counts, also an interruption.
    b->stop();
    QVERIFY(completes(wave));
    QCOMPARE(wait.status(), int(Request::Complete));
    const QStringList ev = RuntimeFixture::events();
    QVERIFY(ev.indexOf(complete_line(loop, "Bob", "Play", 3)) < ev.indexOf(complete_line(wait, "Ann", "Wait")));

    // Waiting on something finished, or on nothing, passes straight through.
    const Request done = a->wait(loop);
    const Request nothing = a->wait(Request());
    QVERIFY(completes(nothing));
    QCOMPARE(done.status(), int(Request::Complete));

    // One's own request cannot be waited for.
    const Request own = a->play(QStringLiteral("Loop"));
    QCOMPARE(pw::test::thrown_error([&] { a->wait(own); }).number(), error::cant_wait_on_self);
    // A waiting character that is unloaded ends its wait as interrupted.
    const Request held = b->wait(own);
    QVERIFY(wait_until([&] { return held.status() == Request::InProgress; }));
    fx.platform().unload(QStringLiteral("BOB"));
    QCOMPARE(held.status(), int(Request::Interrupted));
    a->stop();
}

void RequestQueueTest::a_looping_animation_ends_when_the_next_request_arrives()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    const Request loop = c->play(QStringLiteral("Loop"));
    QVERIFY(wait_until([&] { return fx.view()->tags.count(50) >= 3; }));
    QCOMPARE(loop.status(), int(Request::InProgress));
    fx.view()->take_tags();
    QVERIFY(completes(c->play(QStringLiteral("Blink"))));
    QCOMPARE(loop.status(), int(Request::Complete));
    const QList<int> tags = fx.view()->take_tags();
    QCOMPARE(tags.mid(tags.size() - 3), (QList<int>{52, 90, 98}));
}

void RequestQueueTest::requests_and_property_writes_are_traced()
{
    RuntimeFixture fx;
    fx.platform();
    RuntimeFixture::clear_lines();
    Character* c = fx.load(QStringLiteral("Kit"));
    const Request r = c->play(QStringLiteral("Blink"));
    c->show();
    c->hide(true);
    c->speak(QStringLiteral("Say \"hi\""), QStringLiteral("wav/x.wav"));
    c->think(QStringLiteral("hmm"));
    c->move_to(10, -20, 0);
    c->set_left(120);
    c->set_height(64);
    c->set_language_id(1033);
    c->wait(Request());
    c->stop(r);
    c->stop_all(QStringLiteral("speak"));
    c->stop();
    c->activate(2);
    c->listen(true);
    c->listen(true);  // already listening: nothing new
    c->listen(false);
    c->commands().remove_all();
    c->commands().add(QStringLiteral("quit"), QStringLiteral("&Quit"), QStringLiteral("quit"), true, false);
    c->commands().set_voice_caption(QStringLiteral("Pellworks"));
    c->commands().set_global_voice_commands_enabled(false);
    fx.platform().unload(QStringLiteral("Kit"));

    QStringList requests;
    for (const QString& l : RuntimeFixture::lines())
        if (l.startsWith(QLatin1String("request "))) requests.append(l.mid(8));
    QCOMPARE(requests, QString::fromUtf8("Kit Play \"Blink\"|Kit Show|Kit Hide True|Kit Speak \"Say \\\"hi\\\"\" \"wav/x.wav\"|"
                                         "Kit Think \"hmm\"|Kit MoveTo 10 -20 0|Kit set Left 120|Kit set Height 64|"
                                         "Kit set LanguageID 1033|Kit Wait 0|Kit Stop %1|Kit StopAll \"speak\"|Kit Stop|"
                                         "Kit Activate 2|Kit Listen True|Kit Listen False|Kit Commands.RemoveAll|"
                                         "Kit Commands.Add \"quit\" \"&Quit\" \"quit\" True False|"
                                         "Kit set Commands.VoiceCaption \"Pellworks\"|"
                                         "Kit set Commands.GlobalVoiceCommandsEnabled False|Kit Unload")
                           .arg(r.id())
                           .split(QLatin1Char('|')));
}

PW_TEST_CLASS(RequestQueueTest);
#include "test_request_queue.moc"
