#pragma once
// Plays the animations a character is asked for, each after the return transition of
// the one before: an interrupted animation leaves through its exit branches, a
// finished one that returns by exit branches follows them from its last frame, one
// with a return animation plays that first. One owner at a time: a request, the idle
// behaviour, or listening.

#include "agent/acs/character_data.h"
#include "agent/runtime/animation_player.h"

#include <QList>
#include <QTimer>
#include <functional>
#include <optional>

namespace pw::agent {

class FramePresenter;

class AnimationRunner {
public:
    struct Owner {
        std::function<void()> ended;    // the animation is over (the character is still)
        std::function<void()> looping;  // it has started to repeat itself (optional)
        // Keep looping even when requests wait (a move loops its travel pose while
        // the window glides; the owner ends the loop with settle()).
        bool hold_loops = false;
    };
    struct Hooks {
        std::function<void(int sound_index)> play_sound;
        // True when requests wait: a looping animation then leaves instead of looping.
        std::function<bool()> someone_waiting;
        // Nothing plays any more and nothing is about to.
        std::function<void()> became_still;
        std::function<void(qint64 planned_ns, qint64 shown_ns)> frame_timing;
    };

    AnimationRunner(const acs::CharacterData& data, FramePresenter& presenter, Hooks hooks,
                    Dice dice);

    // Plays `animation` after the pending return transition. A previous owner whose
    // animation still plays is dropped without being told; its animation leaves
    // through its exit branches first.
    void run(const acs::Animation& animation, Owner owner);
    // Brings the character back to rest (the pending return transition, or the exit
    // of what plays now), then calls `done` from the event loop. Replaces the owner.
    void settle(std::function<void()> done);
    // The owner gives up: its animation leaves through its exit branches, nobody is told.
    void interrupt();
    // A looping animation stops looping and leaves through its exit branches; its
    // owner is told when it is out.
    void hurry();
    // Stops at once and forgets what played (hiding, unloading).
    void halt();

    bool busy() const { return phase_ != Phase::Still || pending_.has_value(); }
    bool has_looped() const { return phase_ == Phase::Main && player_.has_looped(); }
    // The animation that played last and how it ended (for Speak's choice of pose).
    const acs::Animation* last_animation() const { return last_; }

private:
    enum class Phase { Still, Transition, Main, Leaving };
    struct Pending {
        const acs::Animation* animation = nullptr;  // null: only settle
        Owner owner;
    };

    void start_pending();
    void player_finished();
    void player_looping();
    bool leave_loop() const;
    void remember_last(const acs::Animation* animation, bool left);
    void call_later(std::function<void()> call);
    void report_still();

    const acs::CharacterData& data_;
    FramePresenter& presenter_;
    Hooks hooks_;
    AnimationPlayer player_;
    QTimer deferred_;                      // delivers `ended` outside the caller's call
    QList<std::function<void()>> deferred_calls_;
    Phase phase_ = Phase::Still;
    const acs::Animation* playing_ = nullptr;  // what the player plays for us now
    bool playing_return_ = false;           // the transition is a return animation
    std::optional<Pending> pending_;
    Owner owner_;
    const acs::Animation* last_ = nullptr;  // for the next return transition
    int last_frame_ = -1;
    bool last_left_ = false;                // it left through its exit branches
    int return_chain_ = 0;                  // return animations played in a row
};

}  // namespace pw::agent
