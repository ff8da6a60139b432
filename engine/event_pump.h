#pragma once
// Letting events run while a routine waits. Every wait of the program is a loop over
// do_events(): handlers run nested inside it, and the loop sleeps between events
// instead of spinning.

#include <QElapsedTimer>
#include <QtGlobal>

#include <memory>

class QTimer;

namespace pw::engine {

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
    // For loops that never wait (a script's lines at interval 0): a single yield when
    // events have not run for turn_interval_ns, otherwise nothing. A yield costs a few
    // microseconds, several times a short line, so yielding on every line would make
    // such a loop several times slower; once a millisecond answers a click just as fast.
    void let_events_run_now_and_then();
    static constexpr qint64 turn_interval_ns = 1'000'000;

private:
    void flush_deferred_deletes_now_and_then();

    std::unique_ptr<QTimer> keep_alive_;
    int passes_ = 0;
    QElapsedTimer since_events_ran_;
};

}  // namespace pw::engine
