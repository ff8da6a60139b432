#pragma once
// What plays animations, from the Play request down to the frames:
// - PlayJob, the Play(animation) request: done when the animation has ended. A looping
//   animation ends when something stops it or another request is queued (then it
//   leaves through its exit branches first).
// - AnimationRunner plays the animations a character is asked for, each after the
//   return transition of the one before: an interrupted animation leaves through its
//   exit branches, a finished one that returns by exit branches follows them from its
//   last frame, one with a return animation plays that first. One owner at a time: a
//   request, the idle behaviour, or listening.
// - AnimationPlayer plays one animation frame by frame. Each frame is due at a time
//   planned from the start of the animation on the monotonic clock, so timer lateness
//   never adds up. Frames of duration 0 are never shown; only their branches are taken.
// Each frame goes to the FramePresenter, which puts it on the character's view.

#include "agent/acs/character_data.h"
#include "agent/runtime/frame_steps.h"
#include "agent/runtime/request_job.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <functional>
#include <optional>

namespace pw::agent {

class FramePresenter;

// One animation, frame by frame.
class AnimationPlayer {
public:
    struct Hooks {
        std::function<void(const acs::Frame& frame)> show_frame;
        std::function<void(int sound_index)> play_sound;
        // The animation ran off its end, or its exit finished.
        std::function<void()> finished;
        // Asked before an unconditional branch backwards is followed: true turns the
        // loop into an exit (someone is waiting for the character).
        std::function<bool()> leave_loop;
        // The animation has started to repeat itself (at the first loop branch).
        std::function<void()> looping;
        // For timing measurements: a frame was shown; both times in ns on the
        // player's clock (planned, actual).
        std::function<void(qint64 planned_ns, qint64 shown_ns)> frame_timing;
    };

    AnimationPlayer(Hooks hooks, Dice dice);
    AnimationPlayer(const AnimationPlayer&) = delete;
    AnimationPlayer& operator=(const AnimationPlayer&) = delete;

    // Starts `animation` at frame 0 in normal play. The first shown frame appears
    // before this returns. An animation with nothing to show finishes from the
    // event loop, never from inside this call.
    void play(const acs::Animation& animation);
    // Leaves `animation` through its exit branches, starting after frame `from`
    // (the frame already on screen).
    void play_exit(const acs::Animation& animation, int from);
    // Switches the running animation to its exit branches from the current frame, at
    // once. No-op when nothing plays or it is already leaving.
    void exit_now();
    // Halts without finishing; the current frame stays on screen.
    void stop();

    bool running() const { return animation_ != nullptr; }
    // Leaving through exit branches (after the end: whether the last play left that way).
    bool exiting() const { return exiting_; }
    bool has_looped() const { return looped_; }
    const acs::Animation* animation() const { return animation_; }
    int current_frame() const { return current_; }

private:
    void begin(const acs::Animation& animation, bool exiting);
    // Moves to `index` and shows frames until one with a duration is on screen or the
    // animation ends. `from_timer`: called from the frame timer.
    void enter(int index, bool from_timer);
    void advance();
    int step_from(int index);
    void end(bool from_timer);

    Hooks hooks_;
    Dice dice_;
    QTimer timer_;
    QElapsedTimer clock_;
    const acs::Animation* animation_ = nullptr;
    int current_ = -1;
    qint64 due_ns_ = 0;     // when the next step is due, on clock_
    int exit_steps_ = 0;
    bool exiting_ = false;
    bool looped_ = false;
    bool ending_ = false;   // finished is on its way from the event loop
};

// The animations a character is asked for, one after the other, with their transitions.
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

// Play(animation), a request of the character's queue.
class PlayJob : public RequestJob {
public:
    PlayJob(AnimationRunner& runner, const acs::Animation& animation);

    QString operation() const override { return QStringLiteral("Play"); }
    RequestKind kind() const override { return RequestKind::Play; }
    void start() override;
    void interrupt() override;
    void request_waiting() override;

private:
    AnimationRunner& runner_;
    const acs::Animation& animation_;
};

}  // namespace pw::agent
