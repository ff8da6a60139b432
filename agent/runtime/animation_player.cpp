#include "agent/runtime/animation_player.h"

#include "agent/runtime/frame_presenter.h"

#include <QtDebug>

namespace pw::agent {
namespace {

// Return animations that name further return animations: stop after a few.
constexpr int return_chain_limit = 4;

constexpr qint64 ns_per_ms = 1000000;
// A frame this late (the machine stalled) starts a new plan instead of rushing
// through the frames it missed.
constexpr qint64 replan_after_ns = 250 * ns_per_ms;

}  // namespace

// ---- The Play request ---------------------------------------------------------------

PlayJob::PlayJob(AnimationRunner& runner, const acs::Animation& animation)
    : runner_(runner), animation_(animation)
{
}

void PlayJob::start()
{
    runner_.run(animation_, AnimationRunner::Owner{[this] { finish(); }, {}, false});
}

void PlayJob::interrupt() { runner_.interrupt(); }

void PlayJob::request_waiting() { runner_.hurry(); }

// ---- The runner -----------------------------------------------------------------------

AnimationRunner::AnimationRunner(const acs::CharacterData& data, FramePresenter& presenter,
                                 Hooks hooks, Dice dice)
    : data_(data),
      presenter_(presenter),
      hooks_(std::move(hooks)),
      player_(
          AnimationPlayer::Hooks{
              [this](const acs::Frame& frame) { presenter_.show(frame); },
              [this](int sound) { if (hooks_.play_sound) hooks_.play_sound(sound); },
              [this] { player_finished(); },
              [this] { return leave_loop(); },
              [this] { player_looping(); },
              [this](qint64 planned, qint64 shown) {
                  if (hooks_.frame_timing) hooks_.frame_timing(planned, shown);
              },
          },
          std::move(dice))
{
    deferred_.setSingleShot(true);
    QObject::connect(&deferred_, &QTimer::timeout, &deferred_, [this] {
        const QList<std::function<void()>> calls = std::exchange(deferred_calls_, {});
        for (const auto& call : calls) call();
        report_still();
    });
}

void AnimationRunner::run(const acs::Animation& animation, Owner owner)
{
    if (phase_ == Phase::Main) {
        phase_ = Phase::Leaving;
        owner_ = {};
        player_.exit_now();
    }
    pending_ = Pending{&animation, std::move(owner)};
    if (phase_ == Phase::Still) start_pending();
}

void AnimationRunner::settle(std::function<void()> done)
{
    if (phase_ == Phase::Main) {
        owner_ = Owner{std::move(done), {}, false};
        player_.exit_now();
        return;
    }
    pending_ = Pending{nullptr, Owner{std::move(done), {}, false}};
    if (phase_ == Phase::Still) start_pending();
}

void AnimationRunner::interrupt()
{
    // What was promised to the owner from the event loop dies with it: it may be gone
    // by then.
    deferred_calls_.clear();
    pending_.reset();
    if (phase_ != Phase::Main) return;
    phase_ = Phase::Leaving;
    owner_ = {};
    player_.exit_now();
}

void AnimationRunner::hurry()
{
    if (phase_ == Phase::Main && player_.has_looped() && !owner_.hold_loops) player_.exit_now();
}

void AnimationRunner::halt()
{
    player_.stop();
    deferred_.stop();
    deferred_calls_.clear();
    phase_ = Phase::Still;
    pending_.reset();
    owner_ = {};
    playing_ = nullptr;
    last_ = nullptr;
    last_left_ = false;
    return_chain_ = 0;
}

void AnimationRunner::start_pending()
{
    const acs::Animation* wanted = pending_->animation;
    if (last_ && !last_left_ && return_chain_ < return_chain_limit) {
        const acs::Animation* from = last_;
        last_ = nullptr;
        if (from->transition == acs::Transition::ExitBranches && last_frame_ >= 0) {
            phase_ = Phase::Transition;
            playing_ = from;
            playing_return_ = false;
            player_.play_exit(*from, last_frame_);
            return;
        }
        if (from->transition == acs::Transition::ReturnAnimation) {
            const acs::Animation* back = data_.animation(from->return_animation);
            if (back && back != wanted && !back->frames.isEmpty()) {
                ++return_chain_;
                phase_ = Phase::Transition;
                playing_ = back;
                playing_return_ = true;
                player_.play(*back);
                return;
            }
        }
    }
    return_chain_ = 0;
    Pending next = std::move(*pending_);
    pending_.reset();
    if (!next.animation) {
        phase_ = Phase::Still;
        if (next.owner.ended) call_later(std::move(next.owner.ended));
        return;
    }
    phase_ = Phase::Main;
    owner_ = std::move(next.owner);
    playing_ = next.animation;
    player_.play(*next.animation);
}

void AnimationRunner::player_finished()
{
    const Phase phase = phase_;
    phase_ = Phase::Still;
    switch (phase) {
    case Phase::Still:
        return;
    case Phase::Transition:
        // An exit transition brings the character to rest; a return animation may
        // itself need a return.
        if (playing_return_) remember_last(playing_, player_.exiting());
        else last_ = nullptr;
        break;
    case Phase::Main: {
        remember_last(playing_, player_.exiting());
        Owner owner = std::exchange(owner_, {});
        if (owner.ended) owner.ended();
        if (phase_ != Phase::Still) return;  // the owner started something new
        break;
    }
    case Phase::Leaving:
        remember_last(playing_, true);
        break;
    }
    if (pending_) start_pending();
    else report_still();
}

void AnimationRunner::player_looping()
{
    if (phase_ == Phase::Main && owner_.looping) owner_.looping();
}

bool AnimationRunner::leave_loop() const
{
    if (phase_ != Phase::Main) return true;  // transitions and exits never loop
    if (owner_.hold_loops) return false;
    return pending_.has_value() || (hooks_.someone_waiting && hooks_.someone_waiting());
}

void AnimationRunner::remember_last(const acs::Animation* animation, bool left)
{
    last_ = animation;
    last_frame_ = player_.current_frame();
    last_left_ = left;
}

void AnimationRunner::call_later(std::function<void()> call)
{
    deferred_calls_.append(std::move(call));
    deferred_.start(0);
}

void AnimationRunner::report_still()
{
    if (!busy() && deferred_calls_.isEmpty() && hooks_.became_still) hooks_.became_still();
}

// ---- The player -----------------------------------------------------------------------

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
