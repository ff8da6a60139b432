#pragma once
// The few raw X11 calls the character windows need: compositor detection and window
// shapes. Every function is a no-op (or answers false) when the program does not run
// on an X server, e.g. offscreen in tests or on a native Wayland platform.

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QImage>
#include <QObject>
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

// Hears from the X server when a compositing manager comes or goes, so that nobody
// needs to ask it now and then. Where the server cannot tell (no XFixes extension),
// hears_changes() is false and compositor_running() has to be asked.
class CompositorWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // The one of the application, which all character views listen to.
    static CompositorWatch& instance();

    explicit CompositorWatch(QObject* parent = nullptr);
    ~CompositorWatch() override;
    CompositorWatch(const CompositorWatch&) = delete;
    CompositorWatch& operator=(const CompositorWatch&) = delete;

    bool hears_changes() const { return notify_event_ >= 0; }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

signals:
    // From the event loop, after the compositor came (true) or went (false).
    void changed(bool running);

private:
    quint32 selection_ = 0;
    int notify_event_ = -1;
};

// Clicks land only where `region` is (window pixels); an empty region lets every
// click pass through to the windows below. Call after the window is shown: a window
// manager copies the shape to its frame only once the window is mapped.
void set_input_shape(WId window, const QRegion& region);
// Back to the default: clicks land wherever the window is drawn.
void clear_input_shape(WId window);
// The window is seen only where `region` is (its bounding shape, as QWidget::setMask
// sets it, but unknown to Qt: a widget with a mask paints every frame through a
// clip of hundreds of rectangles, which costs a multiple of copying the picture).
// The new shape goes to the server with the next flush (a put flushes).
void set_bounding_shape(WId window, const QRegion& region);
void clear_bounding_shape(WId window);
// Moves a shown window without telling the window manager its size hints again, as
// Qt's setGeometry does on every call: each such telling makes the window manager
// rewrite the window's properties, which comes back as events, at every step of a walk.
// Qt learns the new place from the configure event that follows.
void move_window(WId window, QPoint top_left);
// Sends what waits on the connection.
void flush_x11();

// Asks the X server to keep the window's covered pixels (backing store, where the
// server offers it), so that a character changing its shape over the window uncovers
// them without an expose and a repaint.
void keep_covered_pixels(WId window);
// Takes the window off the server's exposes when the server keeps its covered pixels
// (see keep_covered_pixels): call it once the window has been exposed for the first
// time. Qt hears of a map and an unmap without them.
void stop_exposes_where_kept(WId window);

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
    // The pixels of `picture` (32 bits a pixel premultiplied, or Indexed8) inside `region`, to
    // the same place in the window.
    void put(const QImage& picture, const QRegion& region);
    // The same for a new frame, remembered so that the exposes its shape causes need no
    // second put (see already_put).
    void put_frame(const QImage& picture, const QRegion& region);
    // True when an expose of `rect`, sent by the server after request `sequence`, lies
    // within the last frame put and came before it: the server drew that put over it.
    bool already_put(const QRect& rect, quint32 sequence) const;

private:
    // The sequence number of the next request on the connection.
    quint32 put_pieces(const QImage& picture, const QRegion& region);

    WId window_;
    QRegion frame_region_;
    quint32 frame_sequence_ = 0;
    quint32 gc_ = 0;
    quint8 depth_ = 0;
    qsizetype max_request_bytes_ = 0;
};

// Watches the X server's events for `widget`'s window.
// Calls `mapped` (from the event loop) each time the window was mapped. A window manager
// selects shape events on a window only while it takes the window into its frame; a
// shape set before that is never copied to the frame, so input shapes are set again
// once the window is really mapped.
// Hands each expose (a rectangle and the request it followed) to `exposed` first, if
// given: when that answers true, the window has dealt with it and Qt never sees it.
class X11WindowWatch : public QAbstractNativeEventFilter {
public:
    using ExposeHandler = std::function<bool(const QRect& rect, quint32 sequence)>;
    X11WindowWatch(QWidget* widget, std::function<void()> mapped, ExposeHandler exposed = {});
    ~X11WindowWatch() override;
    X11WindowWatch(const X11WindowWatch&) = delete;
    X11WindowWatch& operator=(const X11WindowWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    QWidget* widget_;
    std::function<void()> mapped_;
    ExposeHandler exposed_;
    bool installed_ = false;
};

}  // namespace pw::agent::ui
