#pragma once
// The key-up handling that the stage, the script editor, the Load/Save dialog and the
// sound library share: Esc ends a wait, stops the "Show All" introduction and cancels
// the script; Ctrl+Q quits.

#include "engine/keyboard_handler.h"
#include "engine/run_state.h"
#include "engine/run_host.h"

namespace pw::engine {

// Bits of the shift argument.
namespace shift_mask {
constexpr int shift = 1;
constexpr int ctrl = 2;
constexpr int alt = 4;
}  // namespace shift_mask

// key_code is a virtual-key code (27 Esc, 81 Q); shift holds the shift_mask bits that
// were down. The cancel is cancel_it() of run_control.h.
void window_key_up(RunState& state, KeyboardHandler& keys, RunHost& host, int key_code, int shift);

}  // namespace pw::engine
