// Mouse gestures on the character window as the listener sees them, driven through
// the QWindow so that the real event sequences arrive (a double-click is Press,
// Release, DblClick, Release), and the pop-up menu.

#include "agent/runtime/character_view.h"
#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "tests/test_classes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

using namespace pw::agent::ui;

namespace {

// One line per call; a drag is one line however many moves it takes.
struct RecordingListener : pw::agent::CharacterViewListener {
    QStringList calls;
    QPoint last_drag, menu_pos;

    void view_clicked(int button, int shift, QPoint p) override
    {
        calls << QStringLiteral("clicked %1 %2 %3,%4").arg(button).arg(shift).arg(p.x()).arg(p.y());
    }
    void view_double_clicked(int button, int shift, QPoint p) override
    {
        calls << QStringLiteral("double %1 %2 %3,%4").arg(button).arg(shift).arg(p.x()).arg(p.y());
    }
    void view_dragged(QPoint top_left) override
    {
        if (calls.isEmpty() || calls.last() != QLatin1String("dragged")) calls << QStringLiteral("dragged");
        last_drag = top_left;
    }
    void view_drag_finished(int button, int shift, QPoint) override
    {
        calls << QStringLiteral("drag finished %1 %2").arg(button).arg(shift);
    }
    void view_command_chosen(const QString& name) override { calls << QStringLiteral("command ") + name; }
    void view_menu_requested(QPoint global_pos) override
    {
        calls << QStringLiteral("menu");
        menu_pos = global_pos;
    }
};

}  // namespace

class CharacterMouseTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<DesktopCharacterView> view_;
    RecordingListener listener_;

    QWindow* window() { return view_->character_window().windowHandle(); }

private slots:
    void init()
    {
        listener_ = RecordingListener();
        view_ = std::make_unique<DesktopCharacterView>();
        view_->set_listener(&listener_);
        QImage frame(100, 100, QImage::Format_ARGB32_Premultiplied);
        frame.fill(QColor(40, 160, 90));
        view_->set_frame(frame);
        view_->set_geometry(QRect(200, 150, 100, 100));
        view_->set_visible(true);
        QVERIFY(QTest::qWaitForWindowExposed(&view_->character_window()));
    }

    void cleanup() { view_.reset(); }

    void clicks_report_button_modifiers_and_place_and_never_drag()
    {
        QTest::mouseClick(window(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QTest::mouseClick(window(), Qt::MiddleButton, Qt::AltModifier, QPoint(30, 40));
        // A real double click is one click and one double click; the click after it is
        // an ordinary one again.
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 50));
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(41, 50));
        // A wobble shorter than a drag is still a click.
        const int d = QApplication::startDragDistance();
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(window(), QPoint(50 + d - 1, 50));
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, QPoint(50 + d - 1, 50));
        // The right button clicks, then asks for the menu where it was let go.
        QTest::mousePress(window(), Qt::RightButton, Qt::NoModifier, QPoint(20, 30));
        QTest::mouseMove(window(), QPoint(60, 70));
        QTest::mouseRelease(window(), Qt::RightButton, Qt::NoModifier, QPoint(60, 70));
        QCOMPARE(listener_.calls, (QStringList{"clicked 1 3 10,20", "clicked 4 4 30,40", "clicked 1 0 40,50",
                                               "double 1 0 40,50", "clicked 1 0 41,50",
                                               QStringLiteral("clicked 1 0 %1,50").arg(50 + d - 1), "clicked 2 0 60,70",
                                               "menu"}));
        QCOMPARE(listener_.menu_pos, QPoint(260, 220));
        QCOMPARE(view_->character_window().pos(), QPoint(200, 150));

        // Without a listener nothing breaks.
        view_->set_listener(nullptr);
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 50));
        QTest::mouseClick(window(), Qt::RightButton, Qt::NoModifier, QPoint(40, 50));
    }

    void drag_moves_the_window_and_reports_it()
    {
        const QPoint start(50, 50);
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(window(), start + QPoint(30, 40));
        QTRY_COMPARE(view_->character_window().pos(), QPoint(230, 190));
        QCOMPARE(listener_.last_drag, QPoint(230, 190));
        // Positions are in the moved window now: (40, 55) is 20, 45 from the press.
        QTest::mouseMove(window(), QPoint(40, 55));
        QTRY_COMPARE(view_->character_window().pos(), QPoint(220, 195));
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, start);
        QCOMPARE(listener_.calls, QStringList({"dragged", "drag finished 1 0"}));
        QCOMPARE(listener_.last_drag, QPoint(220, 195));
    }

    void menu_shows_commands_and_reports_the_chosen_one()
    {
        QList<pw::agent::CommandEntry> entries;
        entries.append({"Hello", "&Say hello", "", true, true});
        entries.append({"Hidden", "Hidden", "", true, false});
        entries.append({"Sleep", "S&leep", "", false, true});
        view_->show_menu(entries, QPoint(300, 300));  // must return at once
        QMenu& menu = view_->menu();
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), QPoint(300, 300));
        const QList<QAction*> actions = menu.actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), QStringLiteral("&Say hello"));
        QVERIFY(actions[0]->isEnabled() && !actions[1]->isEnabled());

        // Choosing with the keyboard accelerator, as a child would with the letter.
        QTest::keyClick(&menu, Qt::Key_S);
        QTRY_COMPARE(listener_.calls, QStringList({"command Hello"}));
        QTRY_VERIFY(!menu.isVisible());
        // A menu shown again holds the new entries only.
        entries.removeFirst();
        view_->show_menu(entries, QPoint(10, 10));
        QCOMPARE(menu.actions().size(), 1);
        menu.close();
    }
};

PW_TEST_CLASS(CharacterMouseTest);
#include "character_mouse_test.moc"
