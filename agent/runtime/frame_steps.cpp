#include "agent/runtime/frame_steps.h"

namespace pw::agent {
namespace {

int after(const acs::Animation& animation, int index)
{
    const int next = index + 1;
    return next < animation.frames.size() ? next : animation_end;
}

bool valid(const acs::Animation& animation, int index)
{
    return index >= 0 && index < animation.frames.size();
}

}  // namespace

int next_frame(const acs::Animation& animation, int index, const Dice& dice)
{
    if (!valid(animation, index)) return animation_end;
    const acs::Frame& frame = animation.frames[index];
    if (!frame.branches.isEmpty()) {
        int roll = dice(1, 100);
        for (const acs::Branch& b : frame.branches) {
            roll -= b.probability;
            if (roll <= 0) {
                if (valid(animation, b.frame)) return b.frame;
                break;  // a branch into nowhere counts as no branch
            }
        }
    }
    return after(animation, index);
}

int next_exit_frame(const acs::Animation& animation, int index)
{
    if (!valid(animation, index)) return animation_end;
    const acs::Frame& frame = animation.frames[index];
    if (frame.exit_frame >= 0) return valid(animation, frame.exit_frame) ? frame.exit_frame : animation_end;
    if (frame.exit_frame == acs::exit_stop) return animation_end;
    for (const acs::Branch& b : frame.branches)
        if (b.probability >= 100 && b.frame > index && valid(animation, b.frame)) return b.frame;
    return after(animation, index);
}

bool is_loop_branch(const acs::Animation& animation, int from, int to)
{
    if (!valid(animation, from) || to < 0 || to > from) return false;
    for (const acs::Branch& b : animation.frames[from].branches)
        if (b.frame == to && b.probability >= 100) return true;
    return false;
}

int exit_step_limit(const acs::Animation& animation)
{
    return 4 * int(animation.frames.size()) + 16;
}

}  // namespace pw::agent
