#include "agent/runtime/animation_runner.h"

#include "agent/runtime/frame_presenter.h"

namespace pw::agent {
namespace {

// Return animations that name further return animations: stop after a few.
constexpr int return_chain_limit = 4;

}  // namespace

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

}  // namespace pw::agent
