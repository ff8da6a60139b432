#pragma once
// Plays one animation frame by frame. Each frame is due at a time planned from the
// start of the animation on the monotonic clock, so timer lateness never adds up.
// Frames of duration 0 are never shown; only their branches are taken.

#include "agent/acs/character_data.h"
#include "agent/runtime/frame_steps.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace pw::agent {

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

}  // namespace pw::agent
