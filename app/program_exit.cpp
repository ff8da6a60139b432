#include "app/program_exit.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace pw::app {

void end_process_now(pw::engine::RunState& mod, int code)
{
    // Stopping a character ends its speech and sounds before the process goes.
    const int n = qMin<int>(mod.char_count, mod.slot_count());
    for (int i = 0; i < n; ++i) {
        if (!mod.characters[i].loaded || !mod.characters[i].agent) continue;
        try {
            mod.characters[i].agent->stop();
        } catch (const std::exception&) {
        }
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace pw::app
