// The main window's side of waits and questions: the reminder timer and the key hook
// behind the script editor, Esc and Ctrl+Q in the windows, the close box and the
// Shift+click that ask before quitting.

#include "tests/test_classes.h"
#include "tests/app/window_fixture.h"
#include "engine/keyboard_handler.h"
#include "engine/spoken_questions.h"
#include "stage/stage_window.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

namespace {

QString unquote(const QString& quoted)
{
    QString out;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == QLatin1Char('\\') && i + 2 < quoted.size()) ++i;
        out += quoted[i];
    }
    return out;
}

QStringList said(WindowFixture& f)
{
    QStringList out;
    for (const auto& r : f.agent.log().records())
        if (r.operation == QLatin1String("Speak")) out << unquote(r.args.value(0));
    return out;
}

// Keys are typed at the window, as the window system delivers them.
void start(WindowFixture& f)
{
    pw::fakes::FakeTraits traits;
    traits.animations << QStringLiteral("Alert") << QStringLiteral("Pleased");
    for (const char* id : {"Pellwick", "Tansy"}) f.agent.define_character(QLatin1String(id), traits);
    f.window->show();
    f.window->start_up();
    f.mod.options.interval_seconds = 0.0f;
    f.mod.wait_idle_limit = std::chrono::milliseconds(50);
    f.mod.goodbye_pause_ms = 1;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
}

}  // namespace

class TestMainWindowWaits : public QObject {
    Q_OBJECT

private slots:
    void a_key_wait_hears_a_key_typed_in_the_editor();
    void escape_in_any_window_ends_the_wait_and_cancels_data();
    void escape_in_any_window_ends_the_wait_and_cancels();
    void ctrl_q_in_the_editor_quits();
    void the_close_box_asks_instead_of_closing();
    void a_shift_click_asks_within_a_second();
};

void TestMainWindowWaits::a_key_wait_hears_a_key_typed_in_the_editor()
{
    WindowFixture f;
    start(f);
    f.script().script_text->setPlainText(QStringLiteral("pellwick> waitfor key=a\npellwick> speak after"));
    QTimer::singleShot(300, f.script().script_text, [&f] {
        f.script().script_text->setFocus();
        QTest::keyClick(f.window->windowHandle(), Qt::Key_A);
    });
    f.play();
    const QStringList s = said(f);
    QVERIFY2(s.contains(QStringLiteral("I am waiting for the \"a\" key to be pressed.")), qPrintable(s.join('|')));
    QVERIFY(s.contains(QStringLiteral("Hurray! The \"a\" key was pressed.")));
    QCOMPARE(s.last(), QStringLiteral("after"));
    QVERIFY(!f.window->keys().hook_handle);
}

void TestMainWindowWaits::escape_in_any_window_ends_the_wait_and_cancels_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("the stage") << "stage";
    QTest::newRow("the main window, the Script window closed") << "frame";
    QTest::newRow("a window of the program's own, such as a character's") << "other";
}

void TestMainWindowWaits::escape_in_any_window_ends_the_wait_and_cancels()
{
    QFETCH(QString, where);
    WindowFixture f;
    start(f);
    QWidget other(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    f.script().script_text->setPlainText(QStringLiteral("pellwick> waitfor key=z\npellwick> speak never"));
    QTimer::singleShot(200, f.window->stage(), [&] {
        QWindow* at = f.window->windowHandle();
        if (where == QLatin1String("stage")) {
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
        QTest::keyClick(at, Qt::Key_Escape);
    });
    f.play();
    const QStringList s = said(f);
    QVERIFY(!s.contains(QStringLiteral("never")));
    QVERIFY2(s.contains(QStringLiteral("I'm cancelled")), qPrintable(s.join('|')));
    QVERIFY(!f.mod.waiting && !f.mod.script_running);
}

void TestMainWindowWaits::ctrl_q_in_the_editor_quits()
{
    WindowFixture f;
    start(f);
    f.script().script_text->setFocus();
    QTest::keyClick(f.window->windowHandle(), Qt::Key_Q);
    QVERIFY(f.exits.isEmpty());
    QTest::keyClick(f.window->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_COMPARE(f.exits, QList<int>{0});
}

void TestMainWindowWaits::the_close_box_asks_instead_of_closing()
{
    WindowFixture f;
    start(f);
    // The close box's event comes from the window system: spontaneous.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    static_cast<QObject*>(f.window.get())->event(&close);
    QVERIFY(!close.isAccepted());
    QVERIFY(f.window->isVisible());
    QVERIFY(said(f).contains(pw::engine::quit_question()));
    QVERIFY(f.exits.isEmpty());
    QVERIFY(!f.mod.questions.quit);
}

void TestMainWindowWaits::a_shift_click_asks_within_a_second()
{
    WindowFixture f;
    start(f);
    f.agent.post_click(QStringLiteral("Tansy"), 1, 1);
    QTRY_VERIFY_WITH_TIMEOUT(said(f).contains(pw::engine::quit_question()), 1500);
    QVERIFY(!f.mod.char_clicked);
}

PW_TEST_CLASS(TestMainWindowWaits);
#include "test_main_window_waits.moc"
