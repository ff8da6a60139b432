#include "agent/runtime/idle_behaviour.h"

#include <algorithm>

namespace pw::agent {

IdleBehaviour::IdleBehaviour(const RuntimeTimings& timings, Hooks hooks)
    : timings_(timings), hooks_(std::move(hooks))
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { round(); });
}

int IdleBehaviour::level() const
{
    const int per_level = std::max(1, timings_.idle_rounds_per_level);
    return std::min(3, 1 + std::max(0, rounds_ - 1) / per_level);
}

void IdleBehaviour::quiet()
{
    if (playing_ || timer_.isActive() || !hooks_.can_idle()) return;
    timer_.start(idling_ ? timings_.idle_round_ms : timings_.idle_first_ms);
}

void IdleBehaviour::disturb()
{
    timer_.stop();
    rounds_ = 0;
    const bool was_playing = std::exchange(playing_, false);
    if (was_playing) hooks_.stop_animation();
    if (std::exchange(idling_, false)) hooks_.completed();
}

void IdleBehaviour::round()
{
    if (!hooks_.can_idle()) return;  // the next quiet() arms the timer again
    if (!idling_) {
        idling_ = true;
        hooks_.started();
    }
    ++rounds_;
    playing_ = true;
    const bool played = hooks_.play_level(level(), [this] {
        playing_ = false;
        quiet();
    });
    if (played) return;
    playing_ = false;
    // Nothing to play at this level: wait for the next level, or rest for good.
    if (level() < 3) quiet();
}

}  // namespace pw::agent
