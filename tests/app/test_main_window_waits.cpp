// The main window's side of waits and questions: the key hook behind the script
// editor, Esc and Ctrl+Q in the windows, and the spoken questions the windows ask
// (quit from the close box, Exit and a Shift+click; clear; overwrite), which hold a run
// and answer from the event loop.

#include "tests/test_classes.h"
#include "tests/app/window_fixture.h"
#include "engine/keyboard_handler.h"
#include "engine/spoken_questions.h"
#include "stage/stage_window.h"
#include "windows/window_waits.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

#include <optional>

namespace {

// Keys are typed at the window, as the window system delivers them.
void start(WindowFixture& f)
{
    pw::fakes::FakeTraits traits;
    traits.animations << QStringLiteral("Alert") << QStringLiteral("Pleased");
    for (const char* id : {"Pellwick", "Tansy"}) f.agent.define_character(QLatin1String(id), traits);
    f.window->show();
    f.start_up();
    f.state.options.interval_seconds = 0.0f;
    f.state.wait_idle_limit = std::chrono::milliseconds(50);
    f.state.goodbye_pause_ms = 1;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
}

}  // namespace

class TestMainWindowWaits : public QObject {
    Q_OBJECT

private slots:
    void keys_typed_in_the_windows_reach_a_wait_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("key");
        QTest::newRow("the key, in the editor") << "editor" << int(Qt::Key_A);
        QTest::newRow("Esc on the stage") << "stage" << int(Qt::Key_Escape);
        QTest::newRow("Esc in the main window, the Script window closed") << "frame" << int(Qt::Key_Escape);
        QTest::newRow("Esc in a window of the program's own, such as a character's") << "other" << int(Qt::Key_Escape);
    }

    // The key waited for ends the wait, Esc in any window cancels the run.
    void keys_typed_in_the_windows_reach_a_wait()
    {
        QFETCH(QString, where);
        QFETCH(int, key);
        WindowFixture f;
        start(f);
        QWidget other(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        f.script().script_text->setPlainText(QStringLiteral("pellwick> waitfor key=a\npellwick> speak after"));
        QTimer::singleShot(200, f.window->stage(), [&] {
            QWindow* at = f.window->windowHandle();
            if (where == QLatin1String("editor")) {
                f.script().script_text->setFocus();
            } else if (where == QLatin1String("stage")) {
                f.window->stage()->char_avail->setFocus();
            } else if (where == QLatin1String("frame")) {
                f.window->script_window()->close();
                f.window->area()->setFocus();
            } else {
                other.show();
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
                at = other.windowHandle();
            }
            QTest::keyClick(at, Qt::Key(key));
        });
        f.play();
        const QStringList s = f.said();
        QVERIFY2(s.contains(QStringLiteral("I am waiting for the \"a\" key to be pressed.")), qPrintable(s.join('|')));
        if (key == Qt::Key_A) {
            QVERIFY(s.contains(QStringLiteral("Hurray! The \"a\" key was pressed.")));
            QCOMPARE(s.last(), QStringLiteral("after"));
            QVERIFY(!f.window->keys().hook_handle);
        } else {
            QVERIFY2(s.contains(QStringLiteral("I'm cancelled")) && !s.contains(QStringLiteral("after")), qPrintable(s.join('|')));
        }
        QVERIFY(!f.state.waiting && !f.state.script_running);
    }

    void ctrl_q_in_the_editor_quits()
    {
        WindowFixture f;
        start(f);
        f.script().script_text->setFocus();
        QTest::keyClick(f.window->windowHandle(), Qt::Key_Q);
        QVERIFY(f.exits.isEmpty());
        QTest::keyClick(f.window->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_COMPARE(f.exits, QList<int>{0});
    }

    void quitting_asks_once_and_holds_a_run_until_answered()
    {
        WindowFixture f;
        start(f);
        f.state.wait_idle_limit = std::chrono::seconds(30);
        f.agent.character(QStringLiteral("Pellwick"))->set_shown(false);
        const int shown = f.agent.log().count(QStringLiteral("Show"));
        f.state.options.sequential = false;
        f.state.current_char = QStringLiteral("Tansy");
        // The close box only asks (its event comes from the window system: spontaneous);
        // Exit while Pellwick asks asks nothing more. Unanswered, the question ends with
        // his balloon and leaves the mode and the current character as they were.
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        static_cast<QObject*>(f.window.get())->event(&close);
        QVERIFY(!close.isAccepted() && f.window->isVisible());
        f.window->exit_clicked();
        QCOMPARE(f.said().count(pw::engine::quit_question()), 1);
        QCOMPARE(f.agent.log().count(QStringLiteral("Show")), shown + 1);
        f.agent.post_balloon_hide(QStringLiteral("Pellwick"));
        QTRY_VERIFY(!f.state.questions.quit);
        QVERIFY(!f.state.run_held() && !f.state.options.sequential);
        QCOMPARE(f.state.current_char, QStringLiteral("Tansy"));
        // ... and a later double click does not quit.
        f.agent.post_dbl_click(QStringLiteral("Tansy"));

        // A Shift+click asks; a run started meanwhile waits for the question to end.
        f.agent.post_click(QStringLiteral("Tansy"), 1, 1);
        QTRY_COMPARE(f.said().count(pw::engine::quit_question()), 2);
        f.script().script_text->setPlainText(QStringLiteral("pellwick> speak after"));
        f.script().play_pellwick_clicked();
        QTest::qWait(50);
        QVERIFY(!f.said().contains(QStringLiteral("after")));
        f.agent.post_balloon_hide(QStringLiteral("Pellwick"));
        QVERIFY(f.wait_for_run_end());
        QVERIFY(f.said().contains(QStringLiteral("after")));

        // A double click while Pellwick asks quits.
        f.window->exit_clicked();
        f.agent.post_dbl_click(QStringLiteral("Tansy"));
        QTRY_COMPARE(f.exits, QList<int>{0});
    }

    void spoken_questions_end_with_their_request()
    {
        using pw::agent::Request;
        WindowFixture f;
        start(f);
        f.agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
        auto& s = f.script();
        // (An empty script is cleared without a question: a load/save case.)
        s.script_text->setPlainText(QStringLiteral("pellwick> wave"));
        // Clear pressed twice asks once; Tansy's yes is said by her, and Pellwick's
        // question, which then ends, is stopped.
        s.clear_clicked();
        s.clear_clicked();
        QCOMPARE(f.said().count(pw::engine::clear_question()), 1);
        f.agent.post_dbl_click(QStringLiteral("Tansy"));
        QTRY_VERIFY(f.said().contains(QStringLiteral("OK, I'll clear it!")));
        f.agent.finish(f.state.characters[f.state.char_index(QStringLiteral("Pellwick"))].request);
        QTRY_VERIFY(s.script_text->toPlainText().isEmpty());
        QVERIFY(!f.state.questions.clear && !f.state.run_held());

        // Overwrite, asked by the current character: Pellwick's double click makes him
        // current, and his answer then keeps the question open, whatever becomes of Tansy's.
        f.agent.finish_all();
        f.state.current_char = QStringLiteral("Tansy");
        std::optional<bool> yes;
        pw::windows::confirm_overwrite(f.state, nullptr, [&](bool y) { yes = y; });
        QVERIFY(f.said().endsWith(pw::engine::overwrite_question()));
        f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        QTRY_VERIFY(f.said().endsWith(QStringLiteral("OK, I saved it!")));
        f.agent.finish(f.state.characters[f.state.char_index(QStringLiteral("Tansy"))].request, Request::Interrupted);
        QTest::qWait(50);
        QVERIFY(!yes);
        f.agent.finish_all();
        QTRY_VERIFY(yes.has_value());
        QVERIFY(*yes && !f.state.questions.overwrite);

        // Whatever becomes of an unanswered question, the answer is no.
        for (const auto status : {Request::Complete, Request::Interrupted, Request::Failed}) {
            yes.reset();
            pw::windows::confirm_overwrite(f.state, nullptr, [&](bool y) { yes = y; });
            f.agent.finish(f.state.characters[f.state.char_index(f.state.current_char)].request, status);
            QTRY_VERIFY(yes.has_value());
            QVERIFY(!*yes && !f.state.questions.overwrite);
        }

        // A question asked while a yes to another is still being said neither takes that
        // yes nor wipes it.
        yes.reset();
        pw::windows::confirm_overwrite(f.state, nullptr, [&](bool y) { yes = y; });
        f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        QTRY_VERIFY(f.said().endsWith(QStringLiteral("OK, I saved it!")));
        s.script_text->setPlainText(QStringLiteral("pellwick> wave"));
        s.clear_clicked();
        QVERIFY(f.said().endsWith(pw::engine::clear_question()));
        f.agent.finish_all();
        QTRY_VERIFY(yes.has_value() && !f.state.questions.clear);
        QVERIFY(*yes);
        QCOMPARE(s.script_text->toPlainText(), QStringLiteral("pellwick> wave"));

        // The window that asked goes before the answer: nobody hears it.
        s.script_text->setPlainText(QStringLiteral("pellwick> wave"));
        s.clear_clicked();
        f.agent.post_dbl_click(QStringLiteral("Tansy"));
        QTRY_COMPARE(f.said().count(QStringLiteral("OK, I'll clear it!")), 2);
        f.window.reset();
        f.agent.finish_all();
        QTRY_VERIFY(!f.state.run_held());
    }
};

PW_TEST_CLASS(TestMainWindowWaits);
#include "test_main_window_waits.moc"
