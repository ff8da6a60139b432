#pragma once
// Waits of the windows outside a run: the splash, the first paint, the Sounds window's
// playback, the composer's sample, and the spoken questions a window asks (quit, clear,
// overwrite, throw a sound away). They let events run while they wait. A script run
// never uses them: it waits as a step machine in the engine.

#include "engine/run_state.h"

#include <QString>

#include <cstdint>

namespace pw::windows {

void do_events();
void let_events_run();
// Waits ms milliseconds on the program's clock while events keep flowing.
void pause_ms(pw::engine::RunState& mod, int32_t ms);
// Returns when agent_idle is set, or at the latest after wait_idle_limit.
void wait_idle(pw::engine::RunState& mod);

// Pellwick asks whether to quit (quit_question(), or another question that a yes to it
// means quitting); a double click meanwhile ends the program. Returns when his balloon
// closes, or at the latest after wait_idle's bound.
void confirm_quit(pw::engine::RunState& mod, const QString& question);
void confirm_quit(pw::engine::RunState& mod);

// Pellwick asks whether to clear the script; true when a double click said yes. The
// question lasts while his last request is pending or in progress (an answer given to
// him makes it last until the answer has been said), and ends as well when it fails or
// is interrupted. Unanswered, the flag is put back so that a later double click does
// not answer an old question.
bool confirm_clear(pw::engine::RunState& mod);

// The same for writing over a script file, asked by the current character.
bool confirm_overwrite(pw::engine::RunState& mod);
// The same for throwing away a recording that is not saved yet, asked by the current
// character.
bool confirm_discard_sound(pw::engine::RunState& mod);

}  // namespace pw::windows
