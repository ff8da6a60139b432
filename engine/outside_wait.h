#pragma once
// A wait outside a run: the splash's pause, a demonstration waiting for the characters
// to go idle, a question a window asks. It is made of the run's own waits and looked at
// as a run looks at them: from the event loop, whenever the run state is woken (a
// request ending, a balloon closing, a double click) and on the wait's own clock. Once
// it is over, `then` runs and the wait goes. Nothing loops while it waits.

#include "engine/run_wait.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace pw::engine {

class OutsideWait : public QObject {
public:
    // Owned by the run state (it goes with it); the first look comes from the event
    // loop, so `then` never runs before this returns.
    OutsideWait(RunState& state, std::unique_ptr<RunWait> wait, std::function<void()> then);
    ~OutsideWait() override;
    OutsideWait(const OutsideWait&) = delete;
    OutsideWait& operator=(const OutsideWait&) = delete;

    // Something may have changed: look again once the pending events are handled.
    void wake();

private:
    void look();
    void finish();

    RunState& state_;
    WaitStack waits_;
    std::function<void()> then_;
    QTimer timer_;
    bool look_posted_ = false;
};

// `then` runs once the wait is over, unless `context` has gone by then.
void wait_outside_run(RunState& state, std::unique_ptr<RunWait> wait, QObject* context, std::function<void()> then);

}  // namespace pw::engine
