#include "tests/ui/x11_probe.h"

#include <QTest>

// After the Qt headers: Xlib's macros would clash with them.
#include "tests/ui/x11_window_tree.h"
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace pw::test::x11 {

void set_desktop_colour(QRgb colour)
{
    XSetWindowBackground(display(), root(), colour & 0xffffff);
    XClearWindow(display(), root());
    XSync(display(), False);
}

QPoint stands_at(WId w) { return root_position(top_level_of(Window(w))); }

bool click_reaches(QPoint p, WId w)
{
    XWarpPointer(display(), 0, root(), 0, 0, 0, 0, p.x(), p.y());
    XSync(display(), False);
    Window root_ret = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(display(), root(), &root_ret, &child, &rx, &ry, &wx, &wy, &mask);
    return child == top_level_of(Window(w));
}

bool in_front(WId a, WId b) { return stacking_index(Window(a)) > stacking_index(Window(b)); }

static QRegion shape_of(WId w, int kind)
{
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display(), Window(w), kind, &count, &ordering);
    QRegion r;
    for (int i = 0; i < count; ++i) r += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects) XFree(rects);
    return r;
}

QRegion bounding_shape(WId w)
{
    int bounding = 0, clip = 0, xb = 0, yb = 0, xc = 0, yc = 0;
    unsigned int wb = 0, hb = 0, wc = 0, hc = 0;
    XShapeQueryExtents(display(), Window(w), &bounding, &xb, &yb, &wb, &hb, &clip, &xc, &yc, &wc, &hc);
    return bounding ? shape_of(w, ShapeBounding) : QRegion();
}

QRegion input_shape(WId w) { return shape_of(w, ShapeInput); }

unsigned long keysym(const QString& name) { return XStringToKeysym(qPrintable(name)); }

struct OtherClient::Connection {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    int presses = 0;
};

OtherClient::OtherClient() : c_(std::make_unique<Connection>())
{
    if (!c_->display) return;
    c_->window = XCreateSimpleWindow(c_->display, DefaultRootWindow(c_->display), 50, 50, 300, 200, 0, 0, 0xffffff);
    XSelectInput(c_->display, c_->window, KeyPressMask | KeyReleaseMask);
    XMapRaised(c_->display, c_->window);
    XSync(c_->display, False);
}

OtherClient::~OtherClient()
{
    if (c_->display) XCloseDisplay(c_->display);
}

// A window manager that is still starting may map the window late or take the focus
// back: ask again until the focus is there.
bool OtherClient::focus()
{
    for (int tries = 0; c_->display && tries < 150; ++tries) {
        XWindowAttributes a{};
        XGetWindowAttributes(c_->display, c_->window, &a);
        if (a.map_state == IsViewable) {
            XSetInputFocus(c_->display, c_->window, RevertToNone, CurrentTime);
            XSync(c_->display, False);
            Window focused = 0;
            int revert = 0;
            XGetInputFocus(c_->display, &focused, &revert);
            if (focused == c_->window) return true;
        }
        QTest::qWait(20);
    }
    return false;
}

void OtherClient::type(const QStringList& steps)
{
    for (const QString& step : steps) {
        const KeyCode code = XKeysymToKeycode(c_->display, XStringToKeysym(qPrintable(step.mid(1))));
        XTestFakeKeyEvent(c_->display, code, step.startsWith(QLatin1Char('+')), CurrentTime);
    }
    XSync(c_->display, False);
}

int OtherClient::key_presses()
{
    while (XPending(c_->display) > 0) {
        XEvent e;
        XNextEvent(c_->display, &e);
        c_->presses += e.type == KeyPress;
    }
    return c_->presses;
}

}  // namespace pw::test::x11
