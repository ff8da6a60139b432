// On a real X server: the character window stands exactly where it was put, and only
// the figure is there, to the eye and to the mouse; the balloon lets clicks through.
// With a compositor the window keeps its alpha and is cut out for the mouse only.

#include "agent/ui/balloon_window.h"
#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/ui/x11_desktop.h"
#include "tests/test_classes.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

// Xlib's macros clash with Qt names, so X11 comes last.
#include "tests/ui/x11_window_tree.h"
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

using namespace pw::agent;
using namespace pw::agent::ui;
namespace acs = pw::acs;
using namespace pw::test::x11;

namespace {

constexpr unsigned long root_colour = 0x336699;
const QColor figure_colour(230, 140, 40);

// The top-level window that would get a click at p.
Window window_under(QPoint p)
{
    XWarpPointer(display(), 0, root(), 0, 0, 0, 0, p.x(), p.y());
    XSync(display(), False);
    Window root_ret = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(display(), root(), &root_ret, &child, &rx, &ry, &wx, &wy, &mask);
    return child;
}

QRegion shape_of(Window w, int kind)
{
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display(), w, kind, &count, &ordering);
    QRegion r;
    for (int i = 0; i < count; ++i)
        r += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return r;
}

bool bounding_shaped(Window w)
{
    int bounding = 0, clip = 0, xb = 0, yb = 0, xc = 0, yc = 0;
    unsigned int wb = 0, hb = 0, wc = 0, hc = 0;
    XShapeQueryExtents(display(), w, &bounding, &xb, &yb, &wb, &hb, &clip, &xc, &yc, &wc, &hc);
    return bounding != 0;
}

QRgb screen_pixel(QPoint p)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixel(0, 0) & 0xffffff;
}

bool close_to(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 && qAbs(qBlue(a) - qBlue(b)) <= 8;
}

// An upright oval with a dark outline, like a character's frame; `inset` slims it.
QImage figure(QSize size, QColor colour = figure_colour, int inset = 2)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(QPen(QColor(40, 30, 20), 3));
    p.setBrush(colour);
    p.drawEllipse(QRect(QPoint(inset, 2), size - QSize(2 * inset, 4)));
    return img;
}

}  // namespace

class X11CharacterWindowTest : public QObject {
    Q_OBJECT
private:
    const QRect place_{123, 234, 100, 120};

    // Checks that at `place_` the figure is seen and clicked, and its corner is neither:
    // the corner shows the desktop (a compositor paints its own), not a black box.
    void check_cut_out(Window win)
    {
        const Window top = top_level_of(win);
        const QPoint corner = place_.topLeft() + QPoint(3, 3);
        const QPoint middle = place_.center();
        const QPoint far_away(1270, 1010);
        QTRY_VERIFY(close_to(screen_pixel(middle), figure_colour.rgb() & 0xffffff));
        const QRgb desktop = screen_pixel(far_away);
        QVERIFY(!close_to(desktop, qRgb(0, 0, 0)));
        QTRY_VERIFY(close_to(screen_pixel(corner), desktop));
        QCOMPARE(window_under(middle), top);
        // The window manager copies a new input shape to its frame a moment later.
        QTRY_VERIFY_WITH_TIMEOUT(window_under(corner) != top, 1000);
    }

private slots:
    void initTestCase()
    {
        if (!x11_available())
            QSKIP("needs the xcb platform on an X server");
        XSetWindowBackground(display(), root(), root_colour);
        XClearWindow(display(), root());
        XSync(display(), False);
    }

    void window_stands_exactly_and_shows_only_the_figure()
    {
        DesktopCharacterView view;
        QVERIFY(!view.character_window().compositing());
        view.set_frame(figure(QSize(50, 60)));  // shown at twice its size
        view.set_geometry(place_);
        view.set_visible(true);
        CharacterWindow& w = view.character_window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const Window win = Window(w.winId());
        QTRY_COMPARE(root_position(win), place_.topLeft());

        const QRegion bounding = shape_of(win, ShapeBounding);
        QVERIFY(bounding.contains(QPoint(50, 60)));
        QVERIFY(!bounding.contains(QPoint(3, 3)));
        QVERIFY(!bounding.contains(QPoint(96, 116)));
        check_cut_out(win);
        QVERIFY(close_to(screen_pixel(place_.topLeft() + QPoint(3, 3)), QRgb(root_colour)));
        // The window puts its frames on the server itself: the next one is seen too.
        view.set_frame(figure(QSize(50, 60), Qt::darkGreen));
        QTRY_VERIFY(close_to(screen_pixel(place_.center()), QColor(Qt::darkGreen).rgb() & 0xffffff));
        // What a shape change uncovers shows the new frame, and so does what another
        // window covered.
        const QPoint flank(place_.left() + 16, place_.center().y());
        view.set_frame(figure(QSize(50, 60), Qt::darkGreen, 15));
        QTRY_VERIFY(close_to(screen_pixel(flank), QRgb(root_colour)));
        view.set_frame(figure(QSize(50, 60), Qt::darkBlue));
        QTRY_VERIFY(close_to(screen_pixel(flank), QColor(Qt::darkBlue).rgb() & 0xffffff));
        {
            QWidget cover(nullptr, Qt::X11BypassWindowManagerHint);
            cover.setStyleSheet(QStringLiteral("background: yellow"));
            cover.setGeometry(place_);
            cover.show();
            QTRY_VERIFY(close_to(screen_pixel(place_.center()), qRgb(255, 255, 0)));
        }
        QTRY_VERIFY(close_to(screen_pixel(place_.center()), QColor(Qt::darkBlue).rgb() & 0xffffff));

        // Moved by the program: exact again, and Qt hears where it went.
        view.set_geometry(place_.translated(200, 50));
        QTRY_COMPARE(root_position(win), place_.topLeft() + QPoint(200, 50));
        QTRY_COMPARE(w.geometry(), place_.translated(200, 50));
    }

    void balloon_is_seen_but_not_clicked()
    {
        DesktopCharacterView view;
        view.set_frame(figure(QSize(100, 120)));
        view.set_geometry(QRect(500, 500, 100, 120));
        view.set_visible(true);
        acs::BalloonInfo style;
        style.background_color = qRgb(255, 250, 200);
        view.show_balloon(BalloonKind::Speech, QStringLiteral("Hi!"), style);
        BalloonWindow& balloon = view.balloon_window();
        QVERIFY(QTest::qWaitForWindowExposed(&balloon));
        const QRect body = balloon.placement().body;
        const QPoint inside(body.left() + 6, body.center().y());
        QTRY_VERIFY(close_to(screen_pixel(inside), qRgb(255, 250, 200)));
        const Window top = top_level_of(Window(balloon.winId()));
        QTRY_VERIFY_WITH_TIMEOUT(window_under(inside) != top, 1000);
        QVERIFY(window_under(inside) != top_level_of(Window(view.character_window().winId())));
    }

    void a_grown_character_comes_forward_and_its_balloon_follows()
    {
        DesktopCharacterView earlier, later;
        for (DesktopCharacterView* v : {&earlier, &later}) {
            v->set_frame(figure(QSize(100, 120)));
            v->set_geometry(v == &earlier ? QRect(300, 500, 100, 120) : QRect(380, 520, 100, 120));
            v->set_visible(true);
            QVERIFY(QTest::qWaitForWindowExposed(&v->character_window()));
        }
        const auto in_front = [](DesktopCharacterView& a, DesktopCharacterView& b) {
            return stacking_index(Window(a.character_window().winId()))
                   > stacking_index(Window(b.character_window().winId()));
        };
        QTRY_VERIFY(in_front(later, earlier));
        acs::BalloonInfo style;
        earlier.show_balloon(BalloonKind::Speech, QStringLiteral("Look how big I am!"), style);
        QVERIFY(QTest::qWaitForWindowExposed(&earlier.balloon_window()));

        // Twice the size: in front of the other one, the balloon pointing at the middle
        // of the new figure.
        earlier.set_geometry(QRect(300, 500, 200, 240));
        QTRY_VERIFY(in_front(earlier, later));
        const QPoint tip = earlier.balloon_window().placement().tip;
        QVERIFY2(qAbs(tip.x() - 400) <= 3 && qAbs(tip.y() - 500) <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(tip.x()).arg(tip.y())));
        QTRY_COMPARE(root_position(Window(earlier.balloon_window().winId())),
                     earlier.balloon_window().placement().window().topLeft());

        // The other one acts: now it is in front, below the balloon.
        later.bring_forward();
        QTRY_VERIFY(in_front(later, earlier));
        QTRY_VERIFY(stacking_index(Window(earlier.balloon_window().winId()))
                    > stacking_index(Window(later.character_window().winId())));
    }

    void with_a_compositor_alpha_is_kept_and_only_input_is_shaped()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
        if (program.isEmpty())
            QSKIP("xcompmgr is not installed");
        QProcess compositor;
        compositor.start(program, {});
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(compositor_running(), 5000);

        DesktopCharacterView view;
        QVERIFY(view.character_window().compositing());
        view.set_frame(figure(QSize(100, 120)));
        view.set_geometry(place_);
        view.set_visible(true);
        CharacterWindow& w = view.character_window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const Window win = Window(w.winId());
        QTRY_COMPARE(root_position(win), place_.topLeft());
        QVERIFY(!bounding_shaped(win));
        QTRY_VERIFY(!shape_of(win, ShapeInput).contains(QPoint(3, 3)));
        QVERIFY(shape_of(win, ShapeInput).contains(QPoint(50, 60)));
        check_cut_out(win);

        // The compositor goes away: the mask comes back at the next check.
        compositor.terminate();
        QVERIFY(compositor.waitForFinished(5000));
        QTRY_VERIFY(!compositor_running());
        view.check_compositor();
        QVERIFY(!w.compositing());
        QTRY_VERIFY(bounding_shaped(win));
        check_cut_out(win);
    }
};

PW_TEST_CLASS(X11CharacterWindowTest);
#include "x11_character_window_test.moc"
