#include "engine/run_wait.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pw::engine {

std::optional<Flow> WaitStack::look()
{
    while (!waits_.empty()) {
        WaitState state = waits_.back()->look();
        if (state.first) {
            waits_.push_back(std::move(state.first));
            continue;
        }
        if (!state.over) return std::nullopt;
        waits_.pop_back();
        if (waits_.empty()) return state.flow;
    }
    return std::nullopt;
}

PauseWait::PauseWait(RunState& state, int32_t ms, bool cancel_ends_it, Flow then)
    : state_(state), cancel_ends_it_(cancel_ends_it), then_(then)
{
    if (state.hires_frequency != 0.0 && state.hires_timer) {
        clock_ = state.hires_timer;
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
    if (now() >= deadline_ || (cancel_ends_it_ && state_.cancel_requested)) return WaitState::done(then_);
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

IdleWait::IdleWait(RunState& state, Flow then) : state_(state), then_(then) { since_.start(); }

WaitState IdleWait::look()
{
    if (state_.agent_idle || since_.elapsed() > state_.wait_idle_limit.count()) return WaitState::done(then_);
    return WaitState::waiting();
}

int IdleWait::look_again_ms() const
{
    const qint64 left = qint64(state_.wait_idle_limit.count()) - since_.elapsed() + 1;
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
