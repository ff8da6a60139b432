#pragma once
// Ending the program at once, from wherever it is (possibly deep inside nested waits):
// silence the characters, flush, and leave without tearing down windows.

#include "engine/run_state.h"

namespace pw::app {

void end_process_now(pw::engine::RunState& state, int code);

}  // namespace pw::app
