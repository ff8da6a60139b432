#pragma once
// Asking the X server where top-level windows are and how they are stacked, as a
// person would see them: through the window manager's frames.

#include <QGuiApplication>
#include <QRect>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>

namespace pw::test::x11 {

inline Display* display()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

inline Window root()
{
    return DefaultRootWindow(display());
}

// The child of the root that holds w: w itself, or the window manager's frame.
inline Window top_level_of(Window w)
{
    for (;;) {
        Window root_ret = 0, parent = 0;
        Window* children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(display(), w, &root_ret, &parent, &children, &n))
            return 0;
        if (children)
            XFree(children);
        if (parent == root_ret)
            return w;
        w = parent;
    }
}

// Where w's top-level stands in the stacking order of the screen (higher is in front).
inline int stacking_index(Window w)
{
    const Window top = top_level_of(w);
    Window root_ret = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    int index = -1;
    if (XQueryTree(display(), root(), &root_ret, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            if (children[i] == top)
                index = int(i);
        if (children)
            XFree(children);
    }
    return index;
}

inline QPoint root_position(Window w)
{
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display(), w, root(), 0, 0, &x, &y, &child);
    return QPoint(x, y);
}

// What w covers on the screen, the window manager's frame included.
inline QRect screen_rect(Window w)
{
    const Window top = top_level_of(w);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display(), top, &a))
        return {};
    return QRect(root_position(top), QSize(a.width + 2 * a.border_width, a.height + 2 * a.border_width));
}

}  // namespace pw::test::x11
