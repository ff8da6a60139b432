#pragma once
// Running a script, and cancelling a run. These are the entry points the script editor
// (play and cancel buttons), the stage (the "Cancel Script" command) and the window keys
// (Esc) call.

#include "engine/pellwick_mod.h"
#include "engine/run_host.h"

#include <QString>

namespace pw::engine {

// Runs the script text line by line until it ends, is cancelled or fails. Returns when
// the run is over; lets events run throughout, so handlers run nested inside it.
//
// The text uses CR LF line breaks, like RunHost::editor_text(); the line highlight is
// placed with positions in that text (a line break counts two characters). A failure
// shows the spelling message through RunHost::message_box. In "runout" mode
// (command_line_mode 1) it ends the program through mod.end_program() and returns only
// when that returns (in tests).
void run_script(pellwick_mod& mod, RunHost& host, const QString& text);

// Cancels a run: every character stops listening; the visible ones pause half a second,
// drop their queued actions and say "I'm cancelled". Then sets cancel_requested (the
// runner ends at its next line, a wait at its next pass), sets stop_sound and stops the
// wave device. Safe to call with no run under way; it never throws.
void cancel_it(pellwick_mod& mod, RunHost& host);

}  // namespace pw::engine
