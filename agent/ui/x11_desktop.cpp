#include "agent/ui/x11_desktop.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <xcb/shape.h>
#include <xcb/xfixes.h>
#include <xcb/xcb.h>
#include <QtGui/qguiapplication_platform.h>

// Xlib's macros (None, Bool, Status...) clash with Qt names, so it comes last.
#include <X11/Xlib.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace pw::agent::ui {

namespace {

QNativeInterface::QX11Application* x11_application()
{
    // Asked several times a frame: looked up once for each application object.
    static QPointer<QObject> looked_up_for;
    static QNativeInterface::QX11Application* x11 = nullptr;
    if (!qGuiApp)
        return nullptr;
    if (looked_up_for != qGuiApp) {
        looked_up_for = qGuiApp;
        x11 = QGuiApplication::platformName() == QLatin1String("xcb")
                  ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                  : nullptr;
    }
    return x11;
}

Display* x11_display()
{
    auto* x11 = x11_application();
    return x11 ? x11->display() : nullptr;
}

xcb_connection_t* xcb()
{
    auto* x11 = x11_application();
    return x11 ? x11->connection() : nullptr;
}

short clamp_short(int v)
{
    constexpr int lo = std::numeric_limits<short>::min();
    constexpr int hi = std::numeric_limits<short>::max();
    return short(v < lo ? lo : v > hi ? hi : v);
}

unsigned short clamp_ushort(int v)
{
    constexpr int hi = std::numeric_limits<unsigned short>::max();
    return static_cast<unsigned short>(v < 0 ? 0 : v > hi ? hi : v);
}

// Shapes go out with the next flush: a new frame's shape and picture leave together.
void set_shape(WId window, xcb_shape_kind_t kind, const QRegion& region)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    QList<xcb_rectangle_t> rects;
    rects.reserve(region.rectCount());
    for (const QRect& r : region)
        rects.append(xcb_rectangle_t{clamp_short(r.x()), clamp_short(r.y()), clamp_ushort(r.width()),
                                     clamp_ushort(r.height())});
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(window), 0, 0,
                         quint32(rects.size()), rects.constData());
}

void clear_shape(WId window, xcb_shape_kind_t kind)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, kind, xcb_window_t(window), 0, 0, XCB_PIXMAP_NONE);
    xcb_flush(c);
}

}  // namespace

bool x11_available()
{
    return x11_display() != nullptr;
}

QByteArray compositor_selection_name(Display* dpy)
{
    return "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
}

bool compositor_running()
{
    Display* dpy = x11_display();
    if (!dpy)
        return false;
    const Atom selection = XInternAtom(dpy, compositor_selection_name(dpy).constData(), False);
    return XGetSelectionOwner(dpy, selection) != 0;
}

CompositorWatch& CompositorWatch::instance()
{
    // Made again for a new application object (tests make several).
    static QPointer<CompositorWatch> watch;
    if (!watch)
        watch = new CompositorWatch(QCoreApplication::instance());
    return *watch;
}

CompositorWatch::CompositorWatch(QObject* parent) : QObject(parent)
{
    xcb_connection_t* c = xcb();
    Display* dpy = x11_display();
    if (!c || !dpy)
        return;
    // Qt has set up XFixes on this connection already.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    selection_ = quint32(XInternAtom(dpy, compositor_selection_name(dpy).constData(), False));
    const quint32 events = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                           | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                           | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
    xcb_xfixes_select_selection_input(c, xcb_window_t(XRootWindow(dpy, DefaultScreen(dpy))), selection_, events);
    xcb_flush(c);
    notify_event_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CompositorWatch::~CompositorWatch()
{
    if (hears_changes() && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CompositorWatch::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != notify_event_)
        return false;
    const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
    if (notify->selection == selection_) {
        // Not from inside Qt's event dispatch: the windows' answers talk to the server.
        const bool running = notify->owner != XCB_NONE;
        QMetaObject::invokeMethod(this, [this, running] { emit changed(running); }, Qt::QueuedConnection);
    }
    return false;
}

void set_input_shape(WId window, const QRegion& region)
{
    set_shape(window, XCB_SHAPE_SK_INPUT, region);
    flush_x11();
}

void clear_input_shape(WId window)
{
    clear_shape(window, XCB_SHAPE_SK_INPUT);
}

void set_bounding_shape(WId window, const QRegion& region)
{
    set_shape(window, XCB_SHAPE_SK_BOUNDING, region);
}

void clear_bounding_shape(WId window)
{
    clear_shape(window, XCB_SHAPE_SK_BOUNDING);
}

void move_window(WId window, QPoint top_left)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    const quint32 place[2] = {quint32(qint32(top_left.x())), quint32(qint32(top_left.y()))};
    xcb_configure_window(c, xcb_window_t(window), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
}

void flush_x11()
{
    if (xcb_connection_t* c = xcb())
        xcb_flush(c);
}

void keep_covered_pixels(WId window)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    const quint32 when_mapped = XCB_BACKING_STORE_WHEN_MAPPED;
    xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_BACKING_STORE, &when_mapped);
    xcb_flush(c);
}

void stop_exposes_where_kept(WId window)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen || screen->backing_stores == XCB_BACKING_STORE_NOT_USEFUL)
        return;
    // Once per window: the events Qt chose, less the exposes.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr);
    if (!attributes)
        return;
    const bool kept = attributes->backing_store != XCB_BACKING_STORE_NOT_USEFUL;
    const quint32 events = attributes->your_event_mask & ~quint32(XCB_EVENT_MASK_EXPOSURE);
    free(attributes);
    if (kept)
        xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_EVENT_MASK, &events);
}

X11WindowPainter::X11WindowPainter(WId window) : window_(window)
{
    xcb_connection_t* c = xcb();
    if (!c || !window)
        return;
    // Once per window: its depth (24 without alpha, 32 with) and the largest request.
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(window)), nullptr);
    if (!geometry)
        return;
    depth_ = geometry->depth;
    free(geometry);
    max_request_bytes_ = qsizetype(xcb_get_maximum_request_length(c)) * 4;
    gc_ = xcb_generate_id(c);
    xcb_create_gc(c, gc_, xcb_window_t(window), 0, nullptr);
}

X11WindowPainter::~X11WindowPainter()
{
    if (xcb_connection_t* c = gc_ ? xcb() : nullptr)
        xcb_free_gc(c, gc_);
}

void X11WindowPainter::put(const QImage& picture, const QRegion& region)
{
    put_pieces(picture, region);
}

void X11WindowPainter::put_frame(const QImage& picture, const QRegion& region)
{
    frame_sequence_ = put_pieces(picture, region);
    frame_region_ = region;
}

bool X11WindowPainter::already_put(const QRect& rect, quint32 sequence) const
{
    // Sequence numbers wrap around: "before" is the nearer way round.
    return frame_sequence_ && qint32(sequence - frame_sequence_) < 0 && QRegion(rect).subtracted(frame_region_).isEmpty();
}

quint32 X11WindowPainter::put_pieces(const QImage& picture, const QRegion& region)
{
    // A narrow or palette piece's rows, gathered: one buffer for all windows, which put
    // their pieces one at a time on the GUI thread, kept to spare an allocation a frame.
    static QByteArray rows;
    xcb_connection_t* c = xcb();
    const bool indexed = picture.format() == QImage::Format_Indexed8;
    if (!c || !gc_ || (picture.depth() != 32 && !indexed) || (depth_ != 24 && depth_ != 32))
        return 0;
    // A palette picture's pixels become 32-bit ones as its rows are gathered.
    std::array<QRgb, 256> colours{};  // indices beyond the table are see-through
    if (indexed) {
        const QList<QRgb> table = picture.colorTable();
        for (qsizetype i = 0; i < qMin<qsizetype>(table.size(), 256); ++i)
            colours[size_t(i)] = qPremultiply(table[i]);
    }
    quint32 first = 0;
    constexpr qsizetype header_bytes = 24;
    for (const QRect& rect : region & picture.rect()) {
        const qsizetype row_bytes = qsizetype(rect.width()) * 4;
        // Requests have a size limit: tall pictures go in strips.
        const int strip = int(qMax<qsizetype>(1, (max_request_bytes_ - header_bytes) / row_bytes));
        // Whole rows are sent from the picture itself; a narrower piece is gathered first.
        const bool whole_rows = !indexed && rect.width() == picture.width() && picture.bytesPerLine() == row_bytes;
        for (int top = rect.top(); top <= rect.bottom(); top += strip) {
            const int height = qMin(strip, rect.bottom() + 1 - top);
            const uchar* data = picture.constScanLine(top);
            if (!whole_rows) {
                rows.resize(row_bytes * height);
                for (int y = 0; y < height; ++y) {
                    char* to = rows.data() + y * row_bytes;
                    if (!indexed) {
                        memcpy(to, picture.constScanLine(top + y) + rect.left() * 4, size_t(row_bytes));
                        continue;
                    }
                    const uchar* from = picture.constScanLine(top + y) + rect.left();
                    auto* pixels = reinterpret_cast<QRgb*>(to);
                    for (int x = 0; x < rect.width(); ++x)
                        pixels[x] = colours[from[x]];
                }
                data = reinterpret_cast<const uchar*>(rows.constData());
            }
            const xcb_void_cookie_t sent =
                xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window_), gc_, quint16(rect.width()),
                              quint16(height), qint16(rect.left()), qint16(top), 0, depth_,
                              quint32(row_bytes * height), data);
            if (!first)
                first = sent.sequence;
        }
    }
    xcb_flush(c);
    return first;
}

X11WindowWatch::X11WindowWatch(QWidget* widget, std::function<void()> mapped, ExposeHandler exposed)
    : widget_(widget), mapped_(std::move(mapped)), exposed_(std::move(exposed))
{
    if (x11_available()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        installed_ = true;
    }
}

X11WindowWatch::~X11WindowWatch()
{
    if (installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11WindowWatch::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int kind = event->response_type & 0x7f;
    if (kind == XCB_EXPOSE && exposed_) {
        const auto* expose = static_cast<const xcb_expose_event_t*>(message);
        return expose->window == widget_->internalWinId()
               && exposed_(QRect(expose->x, expose->y, expose->width, expose->height), event->full_sequence);
    }
    if (kind != XCB_MAP_NOTIFY)
        return false;
    const auto* map = static_cast<const xcb_map_notify_event_t*>(message);
    if (map->window == widget_->internalWinId()) {
        // Not from inside Qt's event dispatch: the shape call talks to the server.
        QTimer::singleShot(0, widget_, mapped_);
    }
    return false;
}

}  // namespace pw::agent::ui
