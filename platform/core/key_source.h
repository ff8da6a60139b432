#pragma once
// Where global key presses come from. A key wait installs the source and the first
// matching key removes it again; in between every key-down and key-up on the desktop
// reaches the handler, in order. A source only watches: it never takes a key away from
// the window that has the focus. The desktop layer implements it and the engine's key
// waits use it; tests feed their own.

#include <QtGlobal>

#include <functional>

namespace pw::platform {

struct KeyEvent {
    int vk = 0;             // Windows-style virtual-key code (65 for A, 162 left Ctrl...)
    int scan = 0;           // hardware scan code, 0 when the source does not know it
    bool down = true;       // false for a key-up
    bool extended = false;  // right-hand Ctrl/Alt, arrows and the like
    quint32 time = 0;       // milliseconds on the source's own clock
};

class KeySource {
public:
    using Handler = std::function<void(const KeyEvent&)>;

    virtual ~KeySource() = default;

    // Starts delivering keys to handler, replacing any earlier one. Keys pressed before
    // this call are not delivered.
    virtual void install(Handler handler) = 0;
    // Stops delivering; safe to call when not installed and from inside the handler
    // (the keys still queued are then dropped).
    virtual void remove() = 0;
    virtual bool installed() const = 0;
};

}  // namespace pw::platform
