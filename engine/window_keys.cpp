#include "engine/window_keys.h"

#include "engine/run_control.h"

#include <exception>

namespace pw::engine {

namespace {

constexpr int vk_escape = 27;
constexpr int vk_q = 81;

void stop_introduction(RunState& state)
{
    const int n = qMin<int>(state.char_count, state.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        if (!state.characters[slot].agent) continue;
        // Esc must still cancel the script when one character cannot be stopped.
        try {
            state.characters[slot].agent->stop_all();
            state.characters[slot].agent->hide();
        } catch (const std::exception&) {
        }
    }
    state.intro_playing = false;
}

}  // namespace

void window_key_up(RunState& state, KeyboardHandler& keys, RunHost& host, int key_code, int shift)
{
    const bool ctrl_held = (shift & shift_mask::ctrl) != 0;
    if (key_code == vk_escape && state.waiting) {
        state.waiting = false;
        state.wake_run();
    }
    if (key_code == vk_q && ctrl_held) {
        keys.remove_key_hook();
        state.quit_program();
    }
    if (key_code == vk_escape) {
        if (state.intro_playing) stop_introduction(state);
        cancel_it(state, host);
    }
}

}  // namespace pw::engine
