#include "agent/runtime/animation_player.h"

#include <QtDebug>

namespace pw::agent {
namespace {

constexpr qint64 ns_per_ms = 1000000;
// A frame this late (the machine stalled) starts a new plan instead of rushing
// through the frames it missed.
constexpr qint64 replan_after_ns = 250 * ns_per_ms;

}  // namespace

AnimationPlayer::AnimationPlayer(Hooks hooks, Dice dice)
    : hooks_(std::move(hooks)), dice_(std::move(dice))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { advance(); });
}

void AnimationPlayer::play(const acs::Animation& animation)
{
    begin(animation, false);
    enter(animation.frames.isEmpty() ? animation_end : 0, false);
}

void AnimationPlayer::play_exit(const acs::Animation& animation, int from)
{
    begin(animation, true);
    current_ = from;
    enter(step_from(from), false);
}

void AnimationPlayer::exit_now()
{
    if (!animation_ || exiting_ || ending_) return;
    exiting_ = true;
    exit_steps_ = 0;
    due_ns_ = clock_.nsecsElapsed();
    enter(step_from(current_), false);
}

void AnimationPlayer::stop()
{
    timer_.stop();
    animation_ = nullptr;
    exiting_ = false;
    ending_ = false;
}

void AnimationPlayer::begin(const acs::Animation& animation, bool exiting)
{
    timer_.stop();
    animation_ = &animation;
    current_ = -1;
    exiting_ = exiting;
    exit_steps_ = 0;
    looped_ = false;
    ending_ = false;
    clock_.start();
    due_ns_ = 0;
}

void AnimationPlayer::enter(int index, bool from_timer)
{
    // Zero-duration frames only branch; a cycle of them would never show anything.
    const int hidden_limit = 2 * int(animation_->frames.size()) + 16;
    bool notify_looping = false;
    for (int hidden = 0;; ++hidden) {
        if (index == animation_end) {
            end(from_timer);
            return;
        }
        if (hidden > hidden_limit) {
            qWarning("Animation \"%s\" loops through frames that are never shown; it is stopped.",
                     qPrintable(animation_->name));
            end(from_timer);
            return;
        }
        current_ = index;
        const acs::Frame& frame = animation_->frames[index];
        if (frame.duration > 0) break;
        const bool had_looped = looped_;
        index = step_from(index);
        notify_looping = notify_looping || (looped_ && !had_looped);
        if (!animation_) return;  // a hook stopped the player
    }

    const acs::Frame& frame = animation_->frames[current_];
    const acs::Animation* playing = animation_;
    if (hooks_.show_frame) hooks_.show_frame(frame);
    if (frame.sound != acs::no_sound && hooks_.play_sound) hooks_.play_sound(frame.sound);
    if (animation_ != playing) return;  // a hook started something else

    qint64 now = clock_.nsecsElapsed();
    qint64 planned = due_ns_;
    if (now - planned > replan_after_ns) planned = now;
    if (hooks_.frame_timing) hooks_.frame_timing(planned, now);
    due_ns_ = planned + qint64(frame.duration) * 10 * ns_per_ms;
    now = clock_.nsecsElapsed();
    const qint64 wait_ns = std::max<qint64>(0, due_ns_ - now);
    timer_.start(int((wait_ns + ns_per_ms - 1) / ns_per_ms));

    if (notify_looping && hooks_.looping) hooks_.looping();
}

void AnimationPlayer::advance()
{
    if (!animation_) return;
    if (ending_) {
        ending_ = false;
        animation_ = nullptr;
        if (hooks_.finished) hooks_.finished();
        return;
    }
    const bool had_looped = looped_;
    const int next = step_from(current_);
    const bool started_looping = looped_ && !had_looped;
    if (!animation_) return;
    enter(next, true);
    if (started_looping && animation_ && hooks_.looping) hooks_.looping();
}

int AnimationPlayer::step_from(int index)
{
    if (exiting_) {
        if (++exit_steps_ > exit_step_limit(*animation_)) {
            qWarning("Animation \"%s\" does not find its way out; it is stopped.",
                     qPrintable(animation_->name));
            return animation_end;
        }
        return next_exit_frame(*animation_, index);
    }
    const int next = next_frame(*animation_, index, dice_);
    if (next == animation_end || !is_loop_branch(*animation_, index, next)) return next;
    if (hooks_.leave_loop && hooks_.leave_loop()) {
        exiting_ = true;
        exit_steps_ = 0;
        return next_exit_frame(*animation_, index);
    }
    looped_ = true;
    return next;
}

void AnimationPlayer::end(bool from_timer)
{
    if (from_timer) {
        timer_.stop();
        animation_ = nullptr;
        if (hooks_.finished) hooks_.finished();
        return;
    }
    // Never report the end from inside the call that started or redirected the play.
    ending_ = true;
    timer_.start(0);
}

}  // namespace pw::agent
