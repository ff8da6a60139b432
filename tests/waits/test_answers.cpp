// What a double click, a command and a move on a character do, and the spoken yes/no
// questions that a double click answers.

#include "engine/spoken_questions.h"
#include "stage/window_waits.h"
#include "waits_fixture.h"

#include <QSignalSpy>
#include <QTest>

using pw::agent::Request;
using pw::fakes::FakeAgent;
using pw::waits_tests::WaitsFixture;

namespace {
void pump()
{
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}
}  // namespace

class TestAnswers : public QObject {
    Q_OBJECT

private slots:
    void double_click_in_each_state();
    void commands_while_listening_or_not();
    void moves_and_shift_clicks();
    void quit_question_answered_or_not();
    void clear_question_answered_unanswered_or_broken();
    void overwrite_question_follows_the_clicked_character();
    void programs_question_answered_in_a_run();
};

void TestAnswers::double_click_in_each_state()
{
    WaitsFixture f;
    QSignalSpy focus(f.stage.get(), &pw::stage::pellwick_form::main_window_wanted);

    // Nothing pending: a tickle and the focus, nothing else.
    f.agent.post_dbl_click(QStringLiteral("tansy"));
    pump();
    QCOMPARE(f.mod.current_char, QStringLiteral("tansy"));
    QCOMPARE(f.said(), QStringList{QStringLiteral("Hey, that tickled!")});
    QCOMPARE(focus.size(), 1);
    QVERIFY(!f.mod.cancel_requested && f.exits.isEmpty());

    // Waiting: the wait ends, listening stops, the script is not cancelled.
    f.agent.log().clear();
    f.mod.waiting = f.mod.listening = f.mod.script_running = true;
    f.pellwick->listen(true);
    f.agent.post_dbl_click(QStringLiteral("pellwick"));
    pump();
    QVERIFY(!f.mod.waiting && !f.mod.listening && !f.pellwick->is_listening());
    QVERIFY(!f.mod.cancel_requested);
    QCOMPARE(f.said().last(), QStringLiteral("OK, I'll stop waiting now."));

    // Running, not waiting: a cancel, the same as the Cancel button's (a sound stops).
    f.agent.post_dbl_click(QStringLiteral("pellwick"));
    pump();
    QTRY_VERIFY(f.mod.cancel_requested && f.mod.stop_sound);
    QCOMPARE(f.said().last(), QStringLiteral("I'm cancelled"));

    // The questions' answers, each only while its question is open.
    f.mod.script_running = false;
    f.agent.log().clear();
    f.mod.questions.clear = true;
    f.agent.post_dbl_click(QStringLiteral("pellwick"));
    pump();
    QVERIFY(f.mod.questions.answered_yes && !f.mod.questions.clear);
    QCOMPARE(f.said().last(), QStringLiteral("OK, I'll clear it!"));
    f.mod.questions.answered_yes = false;
    f.mod.questions.overwrite = true;
    f.agent.post_dbl_click(QStringLiteral("tansy"));
    pump();
    QVERIFY(f.mod.questions.answered_yes && !f.mod.questions.overwrite);
    QCOMPARE(f.said(QStringLiteral("tansy")).last(), QStringLiteral("OK, I saved it!"));
    QVERIFY(f.exits.isEmpty());
    f.mod.questions.quit = true;
    f.agent.post_dbl_click(QStringLiteral("pellwick"));
    pump();
    QTRY_COMPARE(f.exits, QList<int>{0});
    QCOMPARE(focus.size(), 6);

    // A character that is gone: every step is skipped, the focus still goes.
    f.agent.post_dbl_click(QStringLiteral("nobody"));
    pump();
    QCOMPARE(focus.size(), 7);
}

void TestAnswers::commands_while_listening_or_not()
{
    WaitsFixture f;
    // Not listening: only agent_idle.
    f.agent.post_command(QStringLiteral("yes"), QStringLiteral("pellwick"));
    pump();
    QVERIFY(f.mod.agent_idle && !f.mod.word_heard);

    // Listening: the name as it came, listening over.
    f.mod.listening = true;
    f.pellwick->listen(true);
    f.agent.post_command(QStringLiteral("Yes"), QStringLiteral("pellwick"));
    pump();
    QVERIFY(f.mod.word_heard && !f.mod.listening && !f.pellwick->is_listening());
    QCOMPARE(f.mod.heard_word, QStringLiteral("Yes"));

    // Cancel Script from the menu while listening: listening stops before the cancel.
    f.mod.word_heard = false;
    f.mod.listening = true;
    f.agent.log().clear();
    f.agent.post_command(QStringLiteral("Cancel Script"), QStringLiteral("pellwick"));
    pump();
    QTRY_VERIFY(f.mod.cancel_requested && !f.mod.word_heard);
    const QStringList lines = f.agent.log().lines();
    QCOMPARE(lines.first(), QStringLiteral("pellwick Listen False"));
    QVERIFY(f.has_said(QStringLiteral("I'm cancelled")));

    // Quit in any case ends the program.
    f.agent.post_command(QStringLiteral("quit"), QStringLiteral("tansy"));
    pump();
    QTRY_COMPARE(f.exits, QList<int>{0});
}

void TestAnswers::moves_and_shift_clicks()
{
    WaitsFixture f;
    QSignalSpy panel(f.stage.get(), &pw::stage::pellwick_form::character_position_text);
    pw::fakes::FakeTraits odd;
    odd.width = 127;
    odd.height = 130;
    auto* c = pw::fakes::load_into_slot(f.mod, f.agent, 2, QStringLiteral("odd"), true, odd);
    c->place(0, -3);
    f.agent.post_move(QStringLiteral("odd"), 1, 2);
    pump();
    QCOMPARE(f.mod.current_char, QStringLiteral("odd"));
    QCOMPARE(panel.size(), 1);
    QCOMPARE(panel.first().first().toString(), QStringLiteral(" Character X: 63.5, Y: 29   "));
    QCOMPARE(pw::stage::pellwick_form::position_text(-80, -40, 100, 100), QStringLiteral(" Character X:-30, Y:-15   "));

    f.agent.post_click(QStringLiteral("pellwick"), 1, 0);
    pump();
    QVERIFY(!f.mod.char_clicked);
    f.agent.post_click(QStringLiteral("pellwick"), 1, 1);
    pump();
    QVERIFY(f.mod.char_clicked);
}

void TestAnswers::quit_question_answered_or_not()
{
    {
        WaitsFixture f;
        f.pellwick->set_shown(false);
        f.mod.wait_idle_limit = std::chrono::milliseconds(2000);
        bool sequential_while_asking = false;
        f.after(20, [&] {
            sequential_while_asking = f.mod.options.sequential;
            f.agent.post_dbl_click(QStringLiteral("tansy"));
        });
        f.after(60, [&] { f.agent.post_balloon_hide(QStringLiteral("pellwick")); });
        pw::stage::confirm_quit(f.mod);
        QCOMPARE(f.agent.log().count(QStringLiteral("Show"), QStringLiteral("pellwick")), 1);
        QCOMPARE(f.said().first(), pw::engine::quit_question());
        QVERIFY(sequential_while_asking);
        QTRY_COMPARE(f.exits, QList<int>{0});
        QVERIFY(!f.mod.questions.quit);
    }
    {
        // Unanswered: over when the balloon closes; a later double click does not quit.
        // Asked in the middle of a run, it leaves the run's mode and character alone.
        WaitsFixture f;
        f.mod.wait_idle_limit = std::chrono::milliseconds(5000);
        f.mod.options.sequential = false;
        f.mod.current_char = QStringLiteral("tansy");
        f.after(30, [&] { f.agent.post_balloon_hide(QStringLiteral("pellwick")); });
        QElapsedTimer t;
        t.start();
        pw::stage::confirm_quit(f.mod);
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(!f.mod.questions.quit);
        QVERIFY(!f.mod.options.sequential);
        QCOMPARE(f.mod.current_char, QStringLiteral("tansy"));
        f.agent.post_dbl_click(QStringLiteral("pellwick"));
        pump();
        QVERIFY(f.exits.isEmpty());
    }
}

void TestAnswers::clear_question_answered_unanswered_or_broken()
{
    {
        WaitsFixture f;
        f.agent.set_completion(FakeAgent::Completion::Manual);
        f.after(20, [&] { f.agent.post_dbl_click(QStringLiteral("pellwick")); });
        // The answer, said by Pellwick, keeps the question open until it is over.
        f.when([&] { return f.has_said(QStringLiteral("OK, I'll clear it!")); }, [&] { f.agent.finish_all(); });
        QVERIFY(pw::stage::confirm_clear(f.mod));
        QCOMPARE(f.said().first(), pw::engine::clear_question());
        QVERIFY(f.agent.log().lines().contains(QStringLiteral("pellwick StopAll \"\"")));
    }
    {
        WaitsFixture f;  // requests end at once: nobody answered
        f.mod.current_char = QStringLiteral("tansy");
        QVERIFY(!pw::stage::confirm_clear(f.mod));
        QVERIFY(!f.mod.questions.clear);
        QCOMPARE(f.mod.current_char, QStringLiteral("tansy"));
        // A later double click answers no old question.
        f.agent.post_dbl_click(QStringLiteral("pellwick"));
        pump();
        QVERIFY(!f.mod.questions.answered_yes);
        QVERIFY(!f.has_said(QStringLiteral("OK, I'll clear it!")));
    }
    for (const auto status : {Request::Interrupted, Request::Failed}) {
        WaitsFixture f;
        f.agent.set_completion(FakeAgent::Completion::Manual);
        f.after(30, [&f, status] { f.agent.finish(f.mod.characters[0].request, status); });
        QElapsedTimer t;
        t.start();
        QVERIFY(!pw::stage::confirm_clear(f.mod));
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(!f.mod.questions.clear);
    }
    {
        WaitsFixture f;  // a run under way takes no step while a window asks
        f.host.text = QStringLiteral("pellwick> speak during");
        QVERIFY(pw::engine::start_run(f.mod, f.host, f.host.text));
        QVERIFY(!pw::stage::confirm_clear(f.mod));
        QVERIFY(!f.has_said(QStringLiteral("during")));
        QTRY_VERIFY(f.has_said(QStringLiteral("during")));
    }
}

void TestAnswers::overwrite_question_follows_the_clicked_character()
{
    WaitsFixture f;
    f.agent.set_completion(FakeAgent::Completion::Manual);
    f.mod.current_char = QStringLiteral("tansy");
    // Tansy asks; Pellwick's double click makes him current, and his answer is then
    // the request that keeps the question open, whatever becomes of Tansy's.
    f.when([&] { return f.said(QStringLiteral("tansy")).size() == 1; },
           [&] { f.agent.post_dbl_click(QStringLiteral("pellwick")); });
    f.when([&] { return f.has_said(QStringLiteral("OK, I saved it!")); },
           [&] { f.agent.finish(f.mod.characters[0].request); });
    QVERIFY(pw::stage::confirm_overwrite(f.mod));
    QCOMPARE(f.said(QStringLiteral("tansy")).first(), pw::engine::overwrite_question());
    QCOMPARE(f.agent.log().count(QStringLiteral("Show"), QStringLiteral("tansy")), 1);
    QCOMPARE(f.mod.characters[1].request.status(), int(Request::Pending));
    QVERIFY(f.agent.log().lines().contains(QStringLiteral("pellwick StopAll \"\"")));
    QVERIFY(!f.mod.questions.overwrite);
}

void TestAnswers::programs_question_answered_in_a_run()
{
    // Pellwick names each program once, before the first; Tansy's double click says
    // yes without cancelling the run, and the yes holds for those programs only.
    WaitsFixture f;
    f.agent.set_completion(FakeAgent::Completion::Manual);
    const QString question =
        pw::engine::programs_question({"xdg-open /home/Ann/Story.txt", "Touch  \"A b\"", "nothing-here"});
    f.when([&] { return f.has_said(question); }, [&] { f.agent.post_dbl_click(QStringLiteral("tansy")); });
    f.when([&] { return f.has_said(QStringLiteral("OK, I trust this script!")); }, [&] {
        f.agent.set_completion(FakeAgent::Completion::AtOnce);
        f.agent.finish_all();
    });
    f.host.on_highlight = [&](const QString& line) {
        if (line == QLatin1String("shell nothing-here")) f.host.programs_start = false;
    };
    f.run(QStringLiteral("pellwick> shell xdg-open /home/Ann/Story.txt\ntansy> shell Touch  \"A b\" \n"
                         "pellwick> shell xdg-open /home/Ann/Story.txt\nshell nothing-here"));
    QCOMPARE(f.count_said(question), 1);
    QCOMPARE(f.host.calls.filter(QStringLiteral("start_program")),
             (QStringList{"start_program xdg-open /home/Ann/Story.txt", "start_program Touch  \"A b\"",
                          "start_program xdg-open /home/Ann/Story.txt", "start_program nothing-here"}));
    QCOMPARE(f.mod.current_char, QStringLiteral("pellwick"));
    // A program that cannot start still stops the run.
    QCOMPARE(f.host.messages, QStringList{"There is a spelling error here or pellwick has not learned this trick!  "
                                          "-- shell nothing-here\nLook at line 4."});
    QVERIFY(!f.mod.questions.programs && !f.mod.questions.answered_yes);
}

QTEST_MAIN(TestAnswers)
#include "test_answers.moc"
