#include "app/program_exit.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace pw::app {

void end_process_now(pw::engine::RunState& state, int code)
{
    // Stopping a character ends its speech and sounds before the process goes.
    const int n = qMin<int>(state.char_count, state.slot_count());
    for (int i = 0; i < n; ++i) {
        if (!state.characters[i].loaded || !state.characters[i].agent) continue;
        try {
            state.characters[i].agent->stop();
        } catch (const std::exception&) {
        }
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace pw::app
