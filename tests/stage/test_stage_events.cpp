// The platform's events reach the run state, always from the event loop: the idle flag
// through the engine's run events; the introduction's end, clicks, moves and commands
// through the stage. How a run meets requests, heard words, Quit and Cancel Script is
// the script cases'.

#include "tests/app/window_fixture.h"
#include "tests/fakes/slot_setup.h"
#include "tests/test_classes.h"

#include <QTest>

using pw::agent::Request;

namespace {
void pump() { QCoreApplication::processEvents(); }
}  // namespace

class TestStageEvents : public QObject {
    Q_OBJECT

private slots:
    void events_set_idle_the_introduction_and_the_current_character()
    {
        StageFixture f;
        f.agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
        auto* c = pw::fakes::load_into_slot(f.state, f.agent, 0, QStringLiteral("Pellwick"), false);

        // The introduction ends with its own last request only.
        const Request other = c->play(QStringLiteral("Wave"));
        f.state.intro_request = c->play(QStringLiteral("Greet"));
        f.state.intro_playing = true;
        f.agent.finish(other);
        pump();
        QVERIFY(f.state.intro_playing);
        f.agent.finish(f.state.intro_request);
        QVERIFY(f.state.intro_playing);  // never from inside the call
        pump();
        QVERIFY(!f.state.intro_playing);

        const QString id = QStringLiteral("Pellwick");
        f.agent.post_idle_start(id);
        pump();
        QVERIFY(f.state.agent_idle);
        f.agent.post_idle_complete(id);
        pump();
        QVERIFY(!f.state.agent_idle);
        f.agent.post_balloon_hide(id);
        pump();
        QVERIFY(f.state.agent_idle);

        // A click names the current character; Shift alone asks to quit, not with Ctrl.
        f.agent.post_click(QStringLiteral("Mira"), 1, 3);
        pump();
        QCOMPARE(f.state.current_char, QStringLiteral("Mira"));
        QVERIFY(!f.state.char_clicked);
        f.agent.post_click(QStringLiteral("Mira"), 2, 1);
        pump();
        QVERIFY(f.state.char_clicked);
        f.agent.post_move(QStringLiteral("Zed"), 5, 6);
        pump();
        QCOMPARE(f.state.current_char, QStringLiteral("Zed"));

        // Any command while not listening only marks the characters idle; one for a
        // character that is gone breaks nothing; Quit, in any case, ends the program.
        f.state.agent_idle = false;
        f.agent.post_command(QStringLiteral("AdvCharOptions"), id);
        pump();
        QVERIFY(f.state.agent_idle && !f.state.word_heard);
        f.state.listening = true;
        f.agent.post_command(QStringLiteral("Banana"), QStringLiteral("Nobody"));
        pump();
        QVERIFY(f.state.word_heard);
        f.agent.post_command(QStringLiteral("QUIT"), id);
        pump();
        QCOMPARE(f.exits.size(), 1);
    }
};

PW_TEST_CLASS(TestStageEvents);
#include "test_stage_events.moc"
