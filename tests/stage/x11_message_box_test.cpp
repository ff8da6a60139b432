// On a real X server with a window manager: a message box stands above the
// characters (always-on-top windows) and away from them, and stays above them when
// one comes forward or appears while the box waits, also when the window it belongs
// to is out of sight (a script running on the desktop).

#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/ui/x11_desktop.h"
#include "platform/core/trace.h"
#include "tests/test_classes.h"
#include "windows/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QTest>

// Xlib's macros clash with Qt names, so X11 comes last.
#include "tests/ui/x11_window_tree.h"

using namespace pw::test::x11;
using pw::agent::ui::DesktopCharacterView;

namespace {

void show_figure(DesktopCharacterView& view, const QRect& at)
{
    QImage frame(at.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(QColor(69, 176, 216));
    view.set_frame(frame);
    view.set_geometry(at);
    view.set_visible(true);
}

Window window_of(QWidget& w) { return Window(w.winId()); }

QStringList traced;
void keep_trace(const QString& line) { traced << line; }

}  // namespace

class X11MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void box_stands_above_and_clear_of_the_characters()
    {
        if (!pw::agent::ui::x11_available())
            QSKIP("needs the xcb platform on an X server");
        // Pellwick stands where a box would go: in the middle of the screen.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect pellwick_at(screen.center() - QPoint(100, 100), QSize(200, 200));
        DesktopCharacterView pellwick, tansy;
        show_figure(pellwick, pellwick_at);
        QVERIFY(QTest::qWaitForWindowExposed(&pellwick.character_window()));
        pw::windows::set_message_box_keep_clear([&] { return QList<QRect>{pellwick_at}; });
        QWidget main_window;  // out of sight, as in runout mode
        QWidget* editor = new QWidget(&main_window);

        QStringList faults;
        const auto check = [&](bool ok, const QString& what) {
            if (!ok) faults << what;
        };
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                faults << QStringLiteral("no box");
                return;
            }
            check(QTest::qWaitForWindowExposed(box), QStringLiteral("box not shown"));
            check(box->parentWidget() == nullptr, QStringLiteral("tied to a hidden window"));
            const Window b = window_of(*box);
            const Window p = window_of(pellwick.character_window());
            check(QTest::qWaitFor([&] { return stacking_index(b) > stacking_index(p); }),
                  QStringLiteral("box under the character"));
            check(QTest::qWaitFor([&] { return !screen_rect(b).intersects(pellwick_at); }),
                  QStringLiteral("box over the character"));
            // Tansy appears right over the box, then Pellwick acts (once the window
            // manager has put him over Tansy, it has also handled everything before):
            // the box stays in front of both.
            show_figure(tansy, QRect(screen_rect(b).topLeft(), QSize(150, 150)));
            check(QTest::qWaitForWindowExposed(&tansy.character_window()), QStringLiteral("Tansy not shown"));
            const Window t = window_of(tansy.character_window());
            check(QTest::qWaitFor([&] { return stacking_index(t) > stacking_index(p); }),
                  QStringLiteral("Tansy did not appear in front"));
            pellwick.bring_forward();
            check(QTest::qWaitFor([&] { return stacking_index(p) > stacking_index(t); }),
                  QStringLiteral("Pellwick did not come forward"));
            // The box is raised again right after Pellwick; the window manager may show
            // his raise a moment before the box's.
            check(QTest::qWaitFor([&] { return stacking_index(b) > stacking_index(p) && stacking_index(b) > stacking_index(t); }),
                  QStringLiteral("a character came over the box"));
            box->button(QMessageBox::Ok)->click();
        });
        pw::trace::set_enabled_for_tests(true);
        pw::trace::set_sink(keep_trace);
        pw::windows::message_box(QStringLiteral("I don't know how to spell that."), editor);
        pw::trace::set_sink(nullptr);
        pw::trace::set_enabled_for_tests(false);
        pw::windows::set_message_box_keep_clear(nullptr);
        QCOMPARE(traced.filter(QStringLiteral(" message \"I don't know how to spell that.\"")).size(), 1);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }
};

PW_TEST_CLASS(X11MessageBoxTest);
#include "x11_message_box_test.moc"
