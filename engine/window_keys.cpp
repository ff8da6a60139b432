#include "engine/window_keys.h"

#include "engine/run_control.h"

#include <exception>

namespace pw::engine {

namespace {

constexpr int vk_escape = 27;
constexpr int vk_q = 81;

void stop_introduction(RunState& mod)
{
    const int n = qMin<int>(mod.char_count, mod.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        if (!mod.characters[slot].agent) continue;
        // Esc must still cancel the script when one character cannot be stopped.
        try {
            mod.characters[slot].agent->stop_all();
            mod.characters[slot].agent->hide();
        } catch (const std::exception&) {
        }
    }
    mod.intro_playing = false;
}

}  // namespace

void window_key_up(RunState& mod, KeyboardHandler& keys, RunHost& host, int KeyCode, int Shift)
{
    const bool ctrl_held = (Shift & shift_mask::ctrl) != 0;
    if (KeyCode == vk_escape && mod.waiting) mod.waiting = false;
    if (KeyCode == vk_q && ctrl_held) {
        keys.remove_key_hook();
        mod.quit_program();
    }
    if (KeyCode == vk_escape) {
        if (mod.intro_playing) stop_introduction(mod);
        cancel_it(mod, host);
    }
}

}  // namespace pw::engine
