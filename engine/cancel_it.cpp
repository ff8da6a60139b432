// Cancelling a run from the editor's Cancel button, the "Cancel Script" command or Esc.

#include "engine/run_script.h"

#include <exception>

namespace pw::engine {

void cancel_it(pellwick_mod& mod, RunHost& host)
{
    const int n = qMin<int>(mod.char_count, mod.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        // Events run in between, so the slot is looked at afresh after each yield.
        auto character = [&mod, slot] { return mod.chars[slot]; };
        try {
            if (!character()) continue;
            character()->listen(false);
            mod.listening = false;
            mod.let_events_run();
            if (!character() || !character()->visible()) continue;
            mod.pause_ms(500);
            if (!character()) continue;
            character()->stop_all();
            mod.char_say(slot, QStringLiteral("I'm cancelled"));
        } catch (const std::exception&) {
            // A character that cannot be stopped is skipped; the cancel goes on.
        }
    }
    mod.cancel_requested = true;
    mod.let_events_run();
    mod.stop_sound = true;
    host.stop_wave();
}

}  // namespace pw::engine
