#pragma once
// A key source the test types on: press() and release() reach the installed handler at
// once, the way the desktop's source delivers them from the event loop.

#include "platform/core/key_source.h"

namespace pw::keys_tests {

class ScriptedKeySource : public pw::platform::KeySource {
public:
    void install(Handler handler) override
    {
        handler_ = std::move(handler);
        ++installs;
    }
    void remove() override
    {
        if (handler_) ++removals;
        handler_ = nullptr;
    }
    bool installed() const override { return bool(handler_); }

    // False when nothing was installed to hear the key.
    bool send(int vk, bool down, bool extended = false)
    {
        if (!handler_) return false;
        pw::platform::KeyEvent e;
        e.vk = vk;
        e.down = down;
        e.extended = extended;
        e.scan = vk % 100;
        e.time = ++clock_;
        const Handler h = handler_;
        h(e);
        return true;
    }
    bool press(int vk) { return send(vk, true); }
    bool release(int vk) { return send(vk, false); }
    bool tap(int vk) { return press(vk) && release(vk); }

    int installs = 0;
    int removals = 0;

private:
    Handler handler_;
    quint32 clock_ = 1000;
};

}  // namespace pw::keys_tests
