#pragma once
// Starting a script run, and cancelling a run. These are the entry points the script
// editor (play and cancel buttons), the stage (the "Cancel Script" command) and the
// window keys (Esc) call. Both return at once: a run goes on from the event loop.
// start_run and step_run live beside the runner (script_runner.cpp), cancel_it in
// cancel_it.cpp.

#include "engine/run_state.h"
#include "engine/run_host.h"

#include <QString>

namespace pw::engine {

// Starts running the script text line by line; the run goes on from the event loop
// until it ends, is cancelled or fails, and then calls RunHost::run_over(). False (and
// nothing starts) while another run is under way.
//
// The text uses CR LF line breaks, like RunHost::editor_text(); the line highlight is
// placed with positions in that text (a line break counts two characters). A failure
// shows the spelling message through RunHost::message_box. In "runout" mode
// (command_line_mode 1) the run ends the program through state.end_program().
bool start_run(RunState& state, RunHost& host, const QString& text);

// Step is pressed: the marked line of a run waiting for Step may go. A press while
// the run does something else counts for nothing.
void step_run(RunState& state);

// Cancels a run: every character stops listening; the visible ones, one after the
// other, pause half a second, drop their queued actions and say "I'm cancelled". Then
// sets cancel_requested (the run ends at its next line or wait), sets stop_sound and
// stops the wave device. The run takes no step meanwhile. Safe to call with no run
// under way; it never throws.
void cancel_it(RunState& state, RunHost& host);

}  // namespace pw::engine
