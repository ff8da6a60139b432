#pragma once
// How a script runs, as its own lines set it: sequential mode, the pause after each
// line, how often a wait reminds; and as the Script window sets it: the speed. They
// outlive a run; every run switches sequential mode on at its start and end.

#include <cstdint>

namespace pw::engine {

// Full speed; slow, with a pause after each line that a child can follow; or step by
// step, each line waiting until Step is pressed. A change counts from the next line.
enum class RunSpeed { full, slow, step };

struct RunOptions {
    bool sequential = false;        // a line waits until the one before has finished
    float interval_seconds = 0.0f;  // the pause after each line
    int32_t report_seconds = 0;     // a wait's reminders, this many seconds apart
    RunSpeed speed = RunSpeed::full;
};

}  // namespace pw::engine
