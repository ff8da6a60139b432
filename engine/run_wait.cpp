#include "engine/run_wait.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pw::engine {

PauseWait::PauseWait(RunState& mod, int32_t ms, bool cancel_ends_it, Flow then)
    : mod_(mod), cancel_ends_it_(cancel_ends_it), then_(then)
{
    if (mod.hires_frequency != 0.0 && mod.hires_timer) {
        clock_ = mod.hires_timer;
        speed_ = std::max(clock_->speed(), 1e-6);
        deadline_ = clock_->get_time() + ms;
    } else {
        tick_.start();
        deadline_ = double(ms);
    }
}

double PauseWait::now() const { return clock_ ? clock_->get_time() : double(tick_.elapsed()); }

WaitState PauseWait::look()
{
    if (now() >= deadline_ || (cancel_ends_it_ && mod_.cancel_requested)) return WaitState::done(then_);
    return WaitState::waiting();
}

int PauseWait::look_again_ms() const
{
    const double ms = std::ceil((deadline_ - now()) / speed_);
    return int(std::clamp(ms, 0.0, double(std::numeric_limits<int>::max())));
}

WaitState TurnWait::look()
{
    if (turned_) return WaitState::done(then_);
    turned_ = true;
    return WaitState::waiting();
}

IdleWait::IdleWait(RunState& mod, Flow then) : mod_(mod), then_(then) { since_.start(); }

WaitState IdleWait::look()
{
    if (mod_.agent_idle || since_.elapsed() > mod_.wait_idle_limit.count()) return WaitState::done(then_);
    return WaitState::waiting();
}

int IdleWait::look_again_ms() const
{
    const qint64 left = qint64(mod_.wait_idle_limit.count()) - since_.elapsed() + 1;
    return int(std::clamp<qint64>(left, 0, std::numeric_limits<int>::max()));
}

ConditionWait::ConditionWait(std::function<bool()> over, Flow then, std::function<void()> at_end)
    : over_(std::move(over)), then_(then), at_end_(std::move(at_end))
{
}

WaitState ConditionWait::look()
{
    if (!over_()) return WaitState::waiting();
    if (at_end_) at_end_();
    return WaitState::done(then_);
}

}  // namespace pw::engine
