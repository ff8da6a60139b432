#pragma once
// What a character does when nobody asks anything of it: after a quiet time it starts
// idling (IdleStart) and plays an IdlingLevel1 animation, then one every round; after
// some rounds level 2, later level 3, where it stays (often a sleeping loop). Any new
// request ends idling (IdleComplete). Between rounds only one single-shot timer waits.

#include "agent/runtime/runtime_options.h"

#include <QTimer>
#include <functional>

namespace pw::agent {

class IdleBehaviour {
public:
    struct Hooks {
        std::function<bool()> can_idle;          // visible, nothing queued, nothing playing
        // Plays a random animation of that idle level (1..3) and calls `done` when it
        // has ended; false when the character has no animation for any level up to it.
        std::function<bool(int level, std::function<void()> done)> play_level;
        std::function<void()> started;           // post IdleStart
        std::function<void()> completed;         // post IdleComplete
        std::function<void()> stop_animation;    // leave the idle animation (exit branches)
    };

    IdleBehaviour(const RuntimeTimings& timings, Hooks hooks);

    // The character may have become idle: arm the timer for the next round.
    void quiet();
    // Something happened that ends idling (a request, hiding, dragging).
    void disturb();

    bool idling() const { return idling_; }
    int level() const;

private:
    void round();

    RuntimeTimings timings_;
    Hooks hooks_;
    QTimer timer_;
    int rounds_ = 0;
    bool idling_ = false;
    bool playing_ = false;
};

}  // namespace pw::agent
