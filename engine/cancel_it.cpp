// Cancelling a run from the editor's Cancel button, the "Cancel Script" command or Esc.

#include "engine/run_control.h"

#include "engine/step_chain.h"

#include <exception>
#include <memory>

namespace pw::engine {

void cancel_it(RunState& mod, RunHost& host)
{
    // A cancel already under way ends the run anyway.
    if (mod.cancelling) return;
    mod.cancelling = true;
    mod.hold_run();
    auto* cancel = new StepChain(mod, &mod.steps_owner());
    const int n = qMin<int>(mod.char_count, mod.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        // Events come in between, so the slot is looked at afresh at each step.
        auto character = [&mod, slot] { return slot < mod.slot_count() ? mod.characters[slot].agent : nullptr; };
        auto shown = std::make_shared<bool>(false);
        cancel->then([&mod, character, shown]() -> int32_t {
            try {
                if (!character()) return 0;
                character()->listen(false);
                mod.listening = false;
                if (!character() || !character()->visible()) return 0;
                *shown = true;
                return 500;
            } catch (const std::exception&) {
                // A character that cannot be stopped is skipped; the cancel goes on.
                return 0;
            }
        });
        cancel->then([&mod, character, shown, slot]() -> int32_t {
            try {
                if (!*shown || !character()) return 0;
                character()->stop_all();
                mod.char_say(slot, QStringLiteral("I'm cancelled"));
            } catch (const std::exception&) {
            }
            return 0;
        });
    }
    cancel->then([&mod, &host]() -> int32_t {
        mod.cancel_requested = true;
        mod.stop_sound = true;
        host.stop_wave();
        mod.cancelling = false;
        mod.release_run();
        return 0;
    });
    cancel->start();
}

}  // namespace pw::engine
