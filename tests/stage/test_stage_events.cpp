// The platform's events reach the run state: request and idle flags and heard words
// through the engine's run events, clicks, moves and commands through the stage; always
// delivered from the event loop.

#include "tests/app/window_fixture.h"
#include "tests/fakes/slot_setup.h"
#include "tests/test_classes.h"
#include "windows/window_waits.h"

#include <QTest>

using pw::agent::Request;
using pw::stage::StageWindow;

namespace {
void pump() { QCoreApplication::processEvents(); }
}  // namespace

class TestStageEvents : public QObject {
    Q_OBJECT

private slots:
    void request_events_drive_line_done_busy_and_intro()
    {
        StageFixture f;
        f.agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
        auto* c = pw::fakes::load_into_slot(f.state, f.agent, 0, QStringLiteral("Pellwick"), true);
        const Request r = c->speak(QStringLiteral("hello"));

        // Sequential: a start is not the end of the line.
        f.state.options.sequential = true;
        f.agent.start(r);
        QVERIFY(!f.state.request_busy);  // never from inside the call
        pump();
        QVERIFY(f.state.request_busy);
        QVERIFY(!f.state.line_done);
        f.agent.finish(r);
        pump();
        QVERIFY(!f.state.request_busy);
        QVERIFY(f.state.line_done);

        // Not sequential: the line is done as soon as its request starts.
        f.state.options.sequential = false;
        f.state.line_done = false;
        f.agent.post_request_start(c->play(QStringLiteral("Wave")));
        pump();
        QVERIFY(f.state.line_done);
        QVERIFY(f.state.request_busy);

        // The introduction ends with its own last request only.
        const Request other = c->play(QStringLiteral("Wave"));
        f.state.intro_request = c->play(QStringLiteral("Greet"));
        f.state.intro_playing = true;
        f.agent.finish(other);
        pump();
        QVERIFY(f.state.intro_playing);
        f.agent.finish(f.state.intro_request);
        pump();
        QVERIFY(!f.state.intro_playing);
    }

    void idle_and_balloon_events_set_agent_idle()
    {
        StageFixture f;
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

        // The confirmations rely on this: a wait for idle ends when the balloon closes.
        f.state.agent_idle = false;
        bool over = false;
        pw::windows::when_idle(f.state, nullptr, [&] { over = true; });
        f.agent.post_balloon_hide(id);
        QTRY_VERIFY_WITH_TIMEOUT(over, 1000);
    }

    void clicks_and_moves_name_the_current_character()
    {
        StageFixture f;
        f.agent.post_click(QStringLiteral("Tobble"));
        pump();
        QCOMPARE(f.state.current_char, QStringLiteral("Tobble"));
        QVERIFY(!f.state.char_clicked);

        f.agent.post_click(QStringLiteral("Mira"), 1, 3);  // Shift with Ctrl: not the quit question
        pump();
        QVERIFY(!f.state.char_clicked);
        f.agent.post_click(QStringLiteral("Mira"), 2, 1);
        pump();
        QVERIFY(f.state.char_clicked);

        f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        pump();
        QCOMPARE(f.state.current_char, QStringLiteral("Pellwick"));
        f.agent.post_move(QStringLiteral("Zed"), 5, 6);
        pump();
        QCOMPARE(f.state.current_char, QStringLiteral("Zed"));
    }

    void commands_quit_cancel_or_answer_a_listen()
    {
        StageFixture f;
        auto* c = pw::fakes::load_into_slot(f.state, f.agent, 0, QStringLiteral("Pellwick"), false);
        int cancels = 0;
        QObject::connect(f.form.get(), &StageWindow::cancel_script_wanted, [&] { ++cancels; });

        // Any command while not listening only marks the characters idle.
        f.agent.post_command(QStringLiteral("AdvCharOptions"), QStringLiteral("Pellwick"));
        pump();
        QVERIFY(f.state.agent_idle);
        QVERIFY(!f.state.word_heard);
        QCOMPARE(cancels, 0);

        // A word the runner waits for: listening stops and the word is kept as named.
        f.state.listening = true;
        c->listen(true);
        f.agent.post_command(QStringLiteral("Banana"), QStringLiteral("Pellwick"), QStringLiteral("banana"));
        pump();
        QVERIFY(!f.state.listening);
        QVERIFY(!c->is_listening());
        QVERIFY(f.state.word_heard);
        QCOMPARE(f.state.heard_word, QStringLiteral("Banana"));

        // Cancel Script while listening: stop listening first, then cancel; no word heard.
        f.state.listening = true;
        f.state.word_heard = false;
        f.agent.log().clear();
        f.agent.post_command(QStringLiteral("Cancel Script"), QStringLiteral("pellwick"));
        pump();
        QCOMPARE(cancels, 1);
        QVERIFY(!f.state.listening);
        QVERIFY(!f.state.word_heard);
        QCOMPARE(f.agent.log().lines(), QStringList{QStringLiteral("Pellwick Listen False")});

        // A command for a character that is gone does not break the handler.
        f.state.listening = true;
        f.agent.post_command(QStringLiteral("Banana"), QStringLiteral("Nobody"));
        pump();
        QVERIFY(f.state.word_heard);

        // Quit, in any case, ends the program.
        f.agent.post_command(QStringLiteral("QUIT"), QStringLiteral("Pellwick"));
        pump();
        QCOMPARE(f.exits.size(), 1);
    }
};

PW_TEST_CLASS(TestStageEvents);
#include "test_stage_events.moc"
