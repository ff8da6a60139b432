#pragma once
// What a run waits for between two steps. A run steps through its lines until a line
// has to wait; it then holds a RunWait and hands control back to the event loop. The
// events that concern a run (a request starting or ending, the characters idling, a
// key, a heard word, a reminder, a sound's end, an answer, a cancel) and the wait's
// own clock make the run look at the wait again; once it is over, the run steps on.

#include "engine/script_run.h"
#include "engine/waiting_sentences.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pw::engine {

class RunWait;

// What one look at a wait found.
struct WaitState {
    bool over = false;
    Flow flow = Flow::next_line;     // once over: how the run goes on
    std::unique_ptr<RunWait> first;  // not over yet: a wait to get through before the next look

    static WaitState waiting() { return {}; }
    static WaitState done(Flow f)
    {
        WaitState s;
        s.over = true;
        s.flow = f;
        return s;
    }
    static WaitState after(std::unique_ptr<RunWait> w)
    {
        WaitState s;
        s.first = std::move(w);
        return s;
    }
};

class RunWait {
public:
    virtual ~RunWait() = default;
    // Looked at when the wait starts, after each event delivered to the run, and once
    // look_again_ms() has passed.
    virtual WaitState look() = 0;
    // How long the wait may go without a look when no event comes; -1: events only,
    // 0: once the events pending now have been handled.
    virtual int look_again_ms() const { return -1; }

    // What the run is waiting for, as the Script window's status line tells it.
    WaitKind kind = WaitKind::none;
};

// The waits a run (or a window) is in: a wait may start another to get through first
// (a character's wait inside a question), which is looked at before it, and the outer
// one looks again as soon as the inner one is over.
class WaitStack {
public:
    void push(std::unique_ptr<RunWait> wait) { waits_.push_back(std::move(wait)); }
    void clear() { waits_.clear(); }
    bool empty() const { return waits_.empty(); }
    const RunWait* innermost() const { return waits_.empty() ? nullptr : waits_.back().get(); }
    const RunWait* outermost() const { return waits_.empty() ? nullptr : waits_.front().get(); }
    // Looks until a wait goes on (nullopt) or the outermost is over: then its flow.
    std::optional<Flow> look();

private:
    std::vector<std::unique_ptr<RunWait>> waits_;
};

// A pause on the program's clock (the high-resolution one when there is one); a cancel
// ends it early when cancel_ends_it.
class PauseWait : public RunWait {
public:
    PauseWait(RunState& state, int32_t ms, bool cancel_ends_it, Flow then = Flow::next_line);
    WaitState look() override;
    int look_again_ms() const override;

private:
    double now() const;

    RunState& state_;
    bool cancel_ends_it_;
    Flow then_;
    HiresClock* clock_ = nullptr;
    double speed_ = 1.0;
    QElapsedTimer tick_;
    double deadline_ = 0.0;
};

// One turn of the event loop: the events already pending (a request that has just
// started, a balloon that has just closed) are handled before the run goes on.
class TurnWait : public RunWait {
public:
    explicit TurnWait(Flow then = Flow::next_line) : then_(then) {}
    WaitState look() override;
    int look_again_ms() const override { return 0; }

private:
    Flow then_;
    bool turned_ = false;
};

// Until the characters go idle, or at the latest after the run state's wait_idle_limit.
class IdleWait : public RunWait {
public:
    explicit IdleWait(RunState& state, Flow then = Flow::next_line);
    WaitState look() override;
    int look_again_ms() const override;

private:
    RunState& state_;
    Flow then_;
    QElapsedTimer since_;
};

// Until a condition of the run state holds; `at_end` runs once it does. Only events
// make it look again.
class ConditionWait : public RunWait {
public:
    ConditionWait(std::function<bool()> over, Flow then, std::function<void()> at_end = {});
    WaitState look() override;

private:
    std::function<bool()> over_;
    Flow then_;
    std::function<void()> at_end_;
};

}  // namespace pw::engine
