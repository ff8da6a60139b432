// Mouse gestures on the character window as the listener sees them, driven through
// the QWindow so that the real event sequences arrive (a double-click is Press,
// Release, DblClick, Release), and the pop-up menu.

#include "recording_view_listener.h"

#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "tests/test_classes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>

using namespace pw::agent::ui;

namespace {

QImage square_frame(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(40, 160, 90));
    return img;
}

}  // namespace

class CharacterMouseTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<DesktopCharacterView> view_;
    RecordingViewListener listener_;

    QWindow* window() { return view_->character_window().windowHandle(); }

private slots:
    void init()
    {
        listener_ = RecordingViewListener();
        view_ = std::make_unique<DesktopCharacterView>();
        view_->set_listener(&listener_);
        view_->set_frame(square_frame(100));
        view_->set_geometry(QRect(200, 150, 100, 100));
        view_->set_visible(true);
        QVERIFY(QTest::qWaitForWindowExposed(&view_->character_window()));
    }

    void cleanup()
    {
        view_.reset();
    }

    void clicks_report_button_modifiers_and_place()
    {
        QTest::mouseClick(window(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QTest::mouseClick(window(), Qt::MiddleButton, Qt::AltModifier, QPoint(30, 40));
        QCOMPARE(listener_.calls, QStringList({"clicked 1 3 10,20", "clicked 4 4 30,40"}));
    }

    void real_double_click_is_one_click_and_one_double_click()
    {
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 50));
        QCOMPARE(listener_.calls, QStringList({"clicked 1 0 40,50", "double 1 0 40,50"}));

        // A click after it is an ordinary click again.
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(41, 50));
        QCOMPARE(listener_.calls.size(), 3);
        QCOMPARE(listener_.calls.last(), QStringLiteral("clicked 1 0 41,50"));
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
        // The pointer is where it was pressed on the window again.
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, start);
        QCOMPARE(listener_.calls, QStringList({"dragged", "drag finished 1 0"}));
        QCOMPARE(listener_.last_drag, QPoint(220, 195));
    }

    void small_wobble_is_still_a_click()
    {
        const int d = QApplication::startDragDistance();
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(window(), QPoint(50 + d - 1, 50));
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, QPoint(50 + d - 1, 50));
        QCOMPARE(listener_.calls, QStringList({QStringLiteral("clicked 1 0 %1,50").arg(50 + d - 1)}));
        QCOMPARE(view_->character_window().pos(), QPoint(200, 150));
    }

    void right_button_clicks_then_asks_for_the_menu_and_never_drags()
    {
        QTest::mousePress(window(), Qt::RightButton, Qt::NoModifier, QPoint(20, 30));
        QTest::mouseMove(window(), QPoint(60, 70));
        QTest::mouseRelease(window(), Qt::RightButton, Qt::NoModifier, QPoint(60, 70));
        QCOMPARE(listener_.calls, QStringList({"clicked 2 0 60,70", "menu"}));
        QCOMPARE(listener_.menu_pos, QPoint(260, 220));
        QCOMPARE(view_->character_window().pos(), QPoint(200, 150));
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
        QVERIFY(actions[0]->isEnabled());
        QCOMPARE(actions[1]->text(), QStringLiteral("S&leep"));
        QVERIFY(!actions[1]->isEnabled());

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

    void no_listener_no_crash()
    {
        view_->set_listener(nullptr);
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 50));
        QTest::mouseClick(window(), Qt::RightButton, Qt::NoModifier, QPoint(40, 50));
        QVERIFY(listener_.calls.isEmpty());
    }
};

PW_TEST_CLASS(CharacterMouseTest);
#include "character_mouse_test.moc"
