#include "platform/desktop/x11_key_source.h"

#include "platform/desktop/key_codes.h"

#include <QMetaObject>
#include <QSocketNotifier>

// Xlib's headers define None, Bool, Status and the like: they come after every Qt header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace pw::platform {

using pw::platform::KeyEvent;

struct X11KeySource::Connection {
    Display* display = nullptr;
    int xi_opcode = 0;
    bool has_xkb = false;
    int xkb_event_base = 0;
    unsigned int numlock_mask = 0;
    // Kept up to date by the server's lock notifications, which come in order with the
    // keys: asking when a key is read would give the state after later keys.
    bool numlock_on = false;

    ~Connection()
    {
        if (display) XCloseDisplay(display);
    }

    void select_raw_keys(bool on) const
    {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        if (on) {
            XISetMask(bits, XI_RawKeyPress);
            XISetMask(bits, XI_RawKeyRelease);
        }
        XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    }

    void read_locks()
    {
        numlock_mask = XkbKeysymToModifiers(display, XK_Num_Lock);
        XkbStateRec state{};
        if (XkbGetState(display, XkbUseCoreKbd, &state) == Success)
            numlock_on = (state.locked_mods & numlock_mask) != 0;
    }

    KeyEvent key_event(int keycode, bool down, unsigned long time) const
    {
        KeyEvent event;
        event.down = down;
        event.time = quint32(time);
        event.scan = keycode >= 8 ? keycode - 8 : 0;
        KeySym sym = NoSymbol;
        if (has_xkb) {
            // Level 0: Shift+1 is still the 1 key. Only the keypad's digits depend on a
            // lock, as they do on Windows.
            sym = XkbKeycodeToKeysym(display, KeyCode(keycode), 0, 0);
            if (sym >= XK_KP_Home && sym <= XK_KP_Delete && numlock_on) {
                const KeySym digit = XkbKeycodeToKeysym(display, KeyCode(keycode), 0, 1);
                if (digit != NoSymbol) sym = digit;
            }
        }
        event.vk = vk_from_keysym(sym);
        if (event.vk == 0) event.vk = vk_from_key_position(event.scan);
        if (event.vk == 0) event.vk = vk_unmapped;
        event.extended = is_extended_keysym(sym);
        return event;
    }
};

std::unique_ptr<X11KeySource> X11KeySource::open(const QByteArray& display_name, QString* why_not)
{
    auto fail = [why_not](const QString& reason) {
        if (why_not) *why_not = reason;
        return std::unique_ptr<X11KeySource>();
    };
    auto x = std::make_unique<Connection>();
    x->display = XOpenDisplay(display_name.isEmpty() ? nullptr : display_name.constData());
    if (!x->display)
        return fail(QStringLiteral("no X server at \"%1\"")
                        .arg(QString::fromLocal8Bit(XDisplayName(
                            display_name.isEmpty() ? nullptr : display_name.constData()))));
    int first_event = 0;
    int first_error = 0;
    if (!XQueryExtension(x->display, "XInputExtension", &x->xi_opcode, &first_event, &first_error))
        return fail(QStringLiteral("the X server has no XInput extension"));
    // Raw events came with 2.0; from 2.1 on they keep coming while another program
    // grabs the keyboard.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(x->display, &major, &minor) != Success || major < 2)
        return fail(QStringLiteral("the X server's XInput is version %1.%2, not 2")
                        .arg(major).arg(minor));

    int xkb_opcode = 0;
    int xkb_error = 0;
    int xkb_major = XkbMajorVersion;
    int xkb_minor = XkbMinorVersion;
    x->has_xkb = XkbQueryExtension(x->display, &xkb_opcode, &x->xkb_event_base, &xkb_error,
                                   &xkb_major, &xkb_minor);
    if (x->has_xkb) {
        // So that the keysyms follow a change of keyboard layout, and the keypad a
        // change of Num Lock; neither happens while the program idles.
        const unsigned int changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(x->display, XkbUseCoreKbd, changes, changes);
        XkbSelectEventDetails(x->display, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask,
                              XkbModifierLockMask);
        x->read_locks();
    }
    XFlush(x->display);
    return std::unique_ptr<X11KeySource>(new X11KeySource(std::move(x)));
}

X11KeySource::X11KeySource(std::unique_ptr<Connection> connection) : x_(std::move(connection))
{
    notifier_ = new QSocketNotifier(ConnectionNumber(x_->display), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11KeySource::read_server);
}

X11KeySource::~X11KeySource()
{
    // The notifier must go before the connection that owns its socket.
    delete notifier_;
}

void X11KeySource::install(Handler handler)
{
    handler_ = std::move(handler);
    queue_.clear();
    if (installed_) return;
    x_->select_raw_keys(true);
    // A round trip: once it is back, every later key is on its way to us.
    XSync(x_->display, False);
    installed_ = true;
    // The round trip may have moved events into Xlib's queue, where the socket notifier
    // cannot see them.
    if (XQLength(x_->display) > 0)
        QMetaObject::invokeMethod(this, &X11KeySource::read_server, Qt::QueuedConnection);
}

void X11KeySource::remove()
{
    if (!installed_) return;
    installed_ = false;
    queue_.clear();
    x_->select_raw_keys(false);
    // Everything sent before the server took the change arrives before this reply; it is
    // read now and dropped, so that a later install starts clean.
    XSync(x_->display, False);
    read_events(false);
}

void X11KeySource::read_server()
{
    read_events(true);
    deliver_queued();
}

void X11KeySource::read_events(bool from_socket)
{
    Display* display = x_->display;
    while (from_socket ? XPending(display) > 0 : XQLength(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (x_->has_xkb && event.type == x_->xkb_event_base) {
            auto* xkb = reinterpret_cast<XkbEvent*>(&event);
            if (xkb->any.xkb_type == XkbStateNotify) {
                x_->numlock_on = (xkb->state.locked_mods & x_->numlock_mask) != 0;
            } else {
                if (xkb->any.xkb_type == XkbMapNotify) XkbRefreshKeyboardMapping(&xkb->map);
                x_->read_locks();
            }
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != x_->xi_opcode) continue;
        if (!XGetEventData(display, cookie)) continue;
        const bool press = cookie->evtype == XI_RawKeyPress;
        if (installed_ && (press || cookie->evtype == XI_RawKeyRelease)) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            queue_.push_back(x_->key_event(raw->detail, press, raw->time));
        }
        XFreeEventData(display, cookie);
    }
}

void X11KeySource::deliver_queued()
{
    // A handler that lets events run may bring us back here; the outer call keeps
    // delivering, so the order stays the order of the keys.
    if (delivering_) return;
    delivering_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{delivering_};
    while (installed_ && !queue_.empty()) {
        const KeyEvent event = queue_.front();
        queue_.pop_front();
        const Handler handler = handler_;  // the handler may replace itself
        handler(event);
    }
}

}  // namespace pw::platform
