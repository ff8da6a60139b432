#pragma once
// How a script runs, as its own lines set it: sequential mode, the pause after each
// line, how often a wait reminds. They outlive a run; every run switches sequential
// mode on at its start and end.

#include <cstdint>

namespace pw::engine {

struct RunOptions {
    bool sequential = false;        // a line waits until the one before has finished
    float interval_seconds = 0.0f;  // the pause after each line
    int32_t report_seconds = 0;     // a wait's reminders, this many seconds apart
};

}  // namespace pw::engine
