#pragma once
// Where an animation goes after a frame: normal play follows the random branches,
// an exit follows the exit branches. Pure functions over the file's records.

#include "agent/acs/character_data.h"

#include <functional>

namespace pw::agent {

// One uniform integer in lo..hi (inclusive).
using Dice = std::function<int(int lo, int hi)>;

inline constexpr int animation_end = -1;

// The frame after `index` in normal play: a branch chosen by a roll of 1..100 (the
// first branch that brings it to zero or below), else the next frame; animation_end
// past the last frame. Branches to frames that do not exist are ignored.
int next_frame(const acs::Animation& animation, int index, const Dice& dice);

// The frame after `index` while leaving the animation: its exit frame; "stop here"
// ends the animation; without an exit frame only an unconditional forward branch is
// followed (no random loops while leaving), else the next frame.
int next_exit_frame(const acs::Animation& animation, int index);

// True when following `to` from `from` repeats frames for ever: an unconditional
// branch backwards (or to itself).
bool is_loop_branch(const acs::Animation& animation, int from, int to);

// Most steps an exit may take before the data counts as broken.
int exit_step_limit(const acs::Animation& animation);

}  // namespace pw::agent
