#pragma once
// Letting events run while a window's routine waits (the splash, a question asked from
// a window): such a wait is a loop over do_events(), handlers run nested inside it, and
// the loop sleeps between events instead of spinning. A script run never uses it.

#include <QtGlobal>

#include <memory>

class QTimer;

namespace pw::windows {

class EventPump {
public:
    // How long one pass may sleep when nothing happens.
    // Everything a wait watches is set by event handlers, which wake the sleep at
    // once; the keep-alive only bounds checks of the clock (minute and clock-time
    // waits), so it can be long enough to cost next to nothing.
    static constexpr int keep_alive_ms = 40;

    EventPump();
    ~EventPump();
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;

    // Handles pending events, then sleeps until the next event or at most max_wait_ms
    // (clamped to keep_alive_ms). A pass with max_wait_ms <= 0 does not sleep.
    void do_events(int max_wait_ms = keep_alive_ms);
    // The same, but sleeps up to max_wait_ms however long: for waits that watch only a
    // deadline (a pause), so they do not wake the process every few milliseconds.
    void sleep_until_event(int max_wait_ms);
    // Handles what is pending and returns at once (a single yield).
    void let_events_run();

private:
    void flush_deferred_deletes_now_and_then();

    std::unique_ptr<QTimer> keep_alive_;
    int passes_ = 0;
};

}  // namespace pw::windows
