#pragma once
// Asking the X server what a person sees and where a click goes, and typing into
// another program's window, for the window cases; Xlib stays inside x11_probe.cpp.

#include <QRegion>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace pw::test::x11 {

void set_desktop_colour(QRgb colour);
// Where w's top-level (the window manager's frame, if any) stands on the screen.
QPoint stands_at(WId w);
// Whether a click at p (screen pixels) reaches w's top-level.
bool click_reaches(QPoint p, WId w);
// a's top-level is in front of b's.
bool in_front(WId a, WId b);
// The window's bounding shape (empty when it has none) and input shape.
QRegion bounding_shape(WId w);
QRegion input_shape(WId w);
// The key code of a keysym name ("Control_R").
unsigned long keysym(const QString& name);

// Another X client with a window of its own, which takes the focus and counts the keys
// the server gives it. Keys are typed through XTEST, as a keyboard would.
class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    // Gives the window the focus; false when the server never does.
    bool focus();
    // Presses ("+name") and releases ("-name") of keys by their keysym names, exactly
    // these: no modifier presses are added around them.
    void type(const QStringList& steps);
    // Key presses the window got so far.
    int key_presses();

private:
    struct Connection;
    std::unique_ptr<Connection> c_;
};

}  // namespace pw::test::x11
