#pragma once
// Checks on how a character's animations move, made before anything is drawn:
//
//  - played through, an animation ends at rest (or holds a pose it has a way back
//    from, or ends hidden); interrupted at any frame, its exits lead back to rest;
//  - a travel loop (the animations of the moving states) runs on without a seam: the
//    step from its last frame back to its first is no bigger than its other steps,
//    and is not a standstill either.

#include "tools/charbuild/character_source.h"

namespace pw::charbuild {

// Throws AgentError naming the animation's file and what is wrong.
void check_motion(const CharacterSource& source);

// How far any part moves between two poses, in pixels of the frame.
double pose_distance(const Rig& rig, const Pose& a, const Pose& b);

}  // namespace pw::charbuild
