#include "engine/outside_wait.h"

#include <exception>
#include <utility>

namespace pw::engine {

OutsideWait::OutsideWait(RunState& state, std::unique_ptr<RunWait> wait, std::function<void()> then)
    : QObject(&state.steps_owner()), state_(state), then_(std::move(then))
{
    waits_.push(std::move(wait));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { look(); });
    state_.add_outside_wait(this);
    wake();
}

OutsideWait::~OutsideWait() { state_.remove_outside_wait(this); }

void OutsideWait::wake()
{
    // Posted behind the events already pending, as the run's own looks are.
    if (look_posted_ || waits_.empty()) return;
    look_posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            look_posted_ = false;
            look();
        },
        Qt::QueuedConnection);
}

void OutsideWait::look()
{
    bool over = false;
    try {
        over = waits_.look().has_value();
    } catch (const std::exception&) {
        // A character that fails while it is waited for ends the wait.
        waits_.clear();
        over = true;
    }
    if (over) {
        finish();
        return;
    }
    const int ms = waits_.innermost()->look_again_ms();
    if (ms == 0) wake();
    else if (ms > 0) timer_.start(ms);
    else timer_.stop();
}

void OutsideWait::finish()
{
    timer_.stop();
    state_.remove_outside_wait(this);
    deleteLater();
    if (const auto then = std::exchange(then_, nullptr)) then();
}

void wait_outside_run(RunState& state, std::unique_ptr<RunWait> wait, QObject* context, std::function<void()> then)
{
    new OutsideWait(state, std::move(wait), [guard = QPointer<QObject>(context), has_context = context != nullptr,
                                           then = std::move(then)] {
        if (has_context && !guard) return;
        if (then) then();
    });
}

}  // namespace pw::engine
