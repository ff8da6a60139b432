// Cancelling a run from the editor's Cancel button, the "Cancel Script" command or Esc.

#include "engine/run_control.h"

#include "engine/step_chain.h"

#include <exception>
#include <memory>

namespace pw::engine {

void cancel_it(RunState& state, RunHost& host)
{
    // A cancel already under way ends the run anyway.
    if (state.cancelling) return;
    state.cancelling = true;
    state.hold_run();
    auto* cancel = new StepChain(state, &state.steps_owner());
    const int n = qMin<int>(state.char_count, state.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        // Events come in between, so the slot is looked at afresh at each step.
        auto character = [&state, slot] { return slot < state.slot_count() ? state.characters[slot].agent : nullptr; };
        auto shown = std::make_shared<bool>(false);
        cancel->then([&state, character, shown]() -> int32_t {
            try {
                if (!character()) return 0;
                character()->listen(false);
                state.listening = false;
                if (!character() || !character()->visible()) return 0;
                *shown = true;
                return 500;
            } catch (const std::exception&) {
                // A character that cannot be stopped is skipped; the cancel goes on.
                return 0;
            }
        });
        cancel->then([&state, character, shown, slot]() -> int32_t {
            try {
                if (!*shown || !character()) return 0;
                character()->stop_all();
                state.char_say(slot, QStringLiteral("I'm cancelled"));
            } catch (const std::exception&) {
            }
            return 0;
        });
    }
    cancel->then([&state, &host]() -> int32_t {
        state.cancel_requested = true;
        state.stop_sound = true;
        host.stop_wave();
        state.cancelling = false;
        state.release_run();
        return 0;
    });
    cancel->start();
}

}  // namespace pw::engine
