// The script editor during a run (running line marked, text locked, clock ticking,
// windows hidden), its cancel, and the main window around it.

#include "window_fixture.h"

#include "app/speed_row.h"
#include "media/clock_dial.h"
#include "media/clock_window.h"
#include "stage/stage_window.h"
#include "tests/test_classes.h"
#include "windows/twips.h"

#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace {

// What the editor looked like when a character started an action of the run.
struct Moment {
    QString marked;
    QString selected;
    bool locked;
    int gauge;
    bool windows_hidden;
};

QList<Moment> play_and_watch(WindowFixture& f)
{
    QList<Moment> moments;
    auto& s = f.script();
    auto text = [](QString t) { return t.remove(QChar::ParagraphSeparator).trimmed(); };
    auto c = QObject::connect(&f.agent, &pw::agent::AgentControl::RequestStart, &s, [&] {
        if (!f.state.script_running) return;
        const auto marks = s.script_text->extraSelections();
        moments << Moment{marks.isEmpty() ? QString() : text(marks.first().cursor.selectedText()),
                          text(s.script_text->textCursor().selectedText()),
                          s.script_text->isReadOnly() && !s.play_pellwick->isEnabled(),
                          f.window->clock() ? f.window->clock()->dial->value() : -1,
                          f.window->stage_window()->isHidden() && f.window->script_window()->isHidden()};
    });
    s.play_pellwick_clicked();
    // Play returns at once: the run goes on from the event loop.
    if (!f.state.run_under_way() || s.play_pellwick->isEnabled()) return {};
    f.wait_for_run_end();
    QObject::disconnect(c);
    return moments;
}

}  // namespace

class TestScriptWindow : public QObject {
    Q_OBJECT

private slots:
    void a_run_marks_each_line_and_locks_the_editor()
    {
        WindowFixture f;
        f.pellwick();
        auto& s = f.script();
        // No final line break: the run adds one to the editor's text.
        s.script_text->setPlainText(
            QStringLiteral("interval 0\r\npellwick> pause 0.3\r\npellwick> speak hello\r\npellwick> wave\r\npellwick> speak bye"));

        QList<Moment> moments = play_and_watch(f);
        QVERIFY(moments.size() >= 2);
        QCOMPARE(moments[0].marked, QStringLiteral("speak hello"));
        QCOMPARE(moments[0].selected, QStringLiteral("speak hello"));
        QCOMPARE(moments[1].marked, QStringLiteral("wave"));
        for (const Moment& m : moments) QVERIFY(m.locked && !m.windows_hidden);
        // Nobody sees the clock while the main window is hidden (runout): it stays still.
        QCOMPARE(moments[0].gauge, 0);
        // On the screen it ticks through the pause, 50 ms a step.
        f.window->show();
        moments = play_and_watch(f);
        QVERIFY(!moments.isEmpty());
        QVERIFY2(moments[0].gauge >= 3 && moments[0].gauge <= 58, qPrintable(QString::number(moments[0].gauge)));

        // Afterwards: editable, unmarked, no clock, and the text got its final break.
        QVERIFY(!s.script_text->isReadOnly() && s.play_pellwick->isEnabled());
        QVERIFY(s.script_text->extraSelections().isEmpty());
        QVERIFY(!s.clock_timer->isActive() && !f.window->clock());
        QVERIFY(s.editor_text().endsWith(QStringLiteral("pellwick> speak bye\r\n")));

        // With "hide" checked the windows are away for the run and back after it.
        s.hideit->setChecked(true);
        moments = play_and_watch(f);
        QVERIFY(!moments.isEmpty() && moments[0].windows_hidden);
        QVERIFY(!f.window->stage_window()->isHidden() && !f.window->script_window()->isHidden());
        QVERIFY(f.messages.isEmpty());
    }

    // Step by step: Step shows beside the speeds; each press runs the marked line, the
    // status line says what Pellwick waits for, and Fast lets the run go on.
    void step_by_step_from_the_buttons()
    {
        WindowFixture f;
        f.pellwick();
        auto& s = f.script();
        s.set_current_file(QStringLiteral("hello.txt"));
        s.script_text->setPlainText(QStringLiteral("interval 0\r\npellwick> speak one\r\npellwick> speak two\r\npellwick> speak three"));
        QVERIFY(s.speed_row->step->isHidden());
        s.speed_row->step_by_step->click();
        QVERIFY(!s.speed_row->step->isHidden() && s.speed_row->step_by_step->isChecked() && !s.speed_row->fast->isChecked());
        const QString waiting_for_step = QStringLiteral("Pellwick is waiting for you to press Step.");
        auto marked = [&] { return s.script_text->textCursor().selectedText().trimmed(); };
        s.speed_row->step->click();  // with no run under way, Step plays
        QVERIFY(QTest::qWaitFor([&] { return s.waiting_panel->text() == waiting_for_step; }));
        QCOMPARE(marked(), QStringLiteral("speak one"));
        QVERIFY(s.waiting_panel->isVisibleTo(&s) && !s.status_panel1->isVisibleTo(&s));
        s.speed_row->step->click();
        QVERIFY(QTest::qWaitFor([&] { return marked() == QLatin1String("speak two"); }));
        s.speed_row->fast->click();
        QVERIFY(f.wait_for_run_end());
        QCOMPARE(f.agent.log().lines_of(QStringLiteral("Speak")).size(), 3);
        QVERIFY(!s.waiting_panel->isVisibleTo(&s) && s.status_panel1->isVisibleTo(&s));
    }

    void cancel_script_from_the_stage_cancels_the_run()
    {
        WindowFixture f;
        f.pellwick(true);
        Q_EMIT f.window->stage()->cancel_script_wanted();
        QTRY_VERIFY(f.state.cancel_requested && f.state.stop_sound);
        QCOMPARE(f.agent.log().lines_of(QStringLiteral("Speak")),
                 QStringList{QStringLiteral("Pellwick Speak \"I'm cancelled\" \"\"")});
    }

    void children_stand_at_their_places()
    {
        WindowFixture f;
        auto* w = f.window.get();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        using pw::windows::twips_to_px_x;
        using pw::windows::twips_to_px_y;
        QCOMPARE(w->stage_window()->pos(), QPoint(twips_to_px_x(225, w), twips_to_px_y(400, w)));
        // The script editor stands beside the stage, which is as wide as its entries ask.
        QCOMPARE(w->script_window()->y(), twips_to_px_y(400, w));
        QVERIFY(w->script_window()->x() >= twips_to_px_x(3330, w));
        QVERIFY(w->stage_window()->geometry().right() < w->script_window()->geometry().left());
        // The Sounds window stands below the stage, clear of it.
        QVERIFY(w->stage_window()->geometry().bottom() < w->sounds_window()->geometry().top());
        // A growing frame makes the script taller, never narrower; the stage stays.
        const QSize stage_size = w->stage_window()->size();
        const QSize script_size = w->script_window()->size();
        w->resize(w->width() + 200, w->height() + 150);
        QTRY_VERIFY(w->script_window()->height() > script_size.height());
        QCOMPARE(w->stage_window()->size(), stage_size);
        QCOMPARE(w->script_window()->width(), script_size.width());

        // The clock opens at the top right, also after the frame changed its size.
        for (int width : {900, 700}) {
            w->resize(width, 600);
            QTest::qWait(20);
            w->show_clock();
            auto* clock_window = qobject_cast<QMdiSubWindow*>(w->clock()->parentWidget());
            const int area_width = w->area()->viewport()->width();
            const int gap = area_width - clock_window->geometry().right();
            QVERIFY2(gap > 0 && gap <= twips_to_px_x(850, w), qPrintable(QString::number(gap)));
            w->unload_clock();
        }
        QCOMPARE(w->area()->subWindowList().size(), 3);
    }
};

PW_TEST_CLASS(TestScriptWindow);
#include "test_script_window.moc"
