#pragma once
// The few raw X11 calls the character windows need: compositor detection and window
// shapes. Every function is a no-op (or answers false) when the program does not run
// on an X server, e.g. offscreen in tests or on a native Wayland platform.

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QtGui/qwindowdefs.h>
#include <functional>

class QWidget;

namespace pw::agent::ui {

// True when Qt talks to an X server (the xcb platform).
bool x11_available();

// True when a compositing manager owns the _NET_WM_CM_S<screen> selection, so
// windows with an alpha channel are blended with what lies below them.
bool compositor_running();

// Clicks land only where `region` is (window pixels); an empty region lets every
// click pass through to the windows below. Call after the window is shown: a window
// manager copies the shape to its frame only once the window is mapped.
void set_input_shape(WId window, const QRegion& region);
// Back to the default: clicks land wherever the window is drawn.
void clear_input_shape(WId window);
// The window is seen only where `region` is (its bounding shape, as QWidget::setMask
// sets it, but unknown to Qt: a widget with a mask paints every frame through a
// clip of hundreds of rectangles, which costs a multiple of copying the picture).
void set_bounding_shape(WId window, const QRegion& region);
void clear_bounding_shape(WId window);

// Puts pictures straight into a window on the X server, past Qt's backing store: a
// shaped character window that shows a new frame then costs one request instead of a
// repaint, a round trip to the server and a second copy of the picture.
class X11WindowPainter {
public:
    explicit X11WindowPainter(WId window);
    ~X11WindowPainter();
    X11WindowPainter(const X11WindowPainter&) = delete;
    X11WindowPainter& operator=(const X11WindowPainter&) = delete;

    WId window() const { return window_; }
    // The pixels of `picture` (32 bits a pixel) inside `region`, to the same place in the window.
    void put(const QImage& picture, const QRegion& region);

private:
    WId window_;
    quint32 gc_ = 0;
    quint8 depth_ = 0;
    qsizetype max_request_bytes_ = 0;
    QByteArray rows_;  // a narrow piece's rows, gathered (kept to spare an allocation a frame)
};

// Calls `again` (from the event loop) each time the X server reports that `widget`'s
// window was mapped. A window manager selects shape events on a window only while it takes
// the window into its frame; a shape set before that is never copied to the frame,
// so input shapes are set again once the window is really mapped.
class MapWatch : public QAbstractNativeEventFilter {
public:
    MapWatch(QWidget* widget, std::function<void()> again);
    ~MapWatch() override;
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    QWidget* widget_;
    std::function<void()> again_;
    bool installed_ = false;
};

}  // namespace pw::agent::ui
