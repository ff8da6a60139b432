#include "tests/ui/x11_other_client.h"

#include <QTest>

// After the Qt headers: Xlib's macros would clash with them.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace pw::test::x11 {

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
