#pragma once
// The statements: the keyword table that finds the function running each one, and one
// function per statement. Each reads run.keyword / run.arguments (and the line's
// character) and acts. A statement that has to wait (a pause, a sound, a waitfor, a
// question) leaves the wait in run.wait and returns; the runner holds it, and the wait
// tells how the run goes on. Failures throw (AgentError or ScriptError) and reach the
// runner's error trap.

#include "engine/script_run.h"
#include "engine/script_text.h"

namespace pw::engine {

// ---- The keyword table (statements.cpp) ----
using StatementHandler = Flow (*)(ScriptRun&);

StatementHandler handler_for(script::Keyword keyword);

// Who ends a line (sets RunState::line_done, which the next line waits for in
// sequential mode), all in one list:
// - the statement itself, once it has returned and its wait is over, when this says
//   so (the runner's statement_done);
// - otherwise the character request it queued: its RequestStart outside sequential
//   mode, else its RequestComplete (run_events.cpp);
// - waitfor and shell, which end some lines themselves (a wait that is over, a bump, a
//   program started or skipped) and leave the others to their requests;
// - the runner, for what does nothing to see: blank lines, labels, sound, the end of
//   a branch taken, and the start of the run.
bool ends_its_own_line(script::Keyword keyword);

}  // namespace pw::engine

namespace pw::engine::statements {

// ---- Control (statements_control.cpp) ----
Flow sequential(ScriptRun& run);
Flow report(ScriptRun& run);
Flow interval(ScriptRun& run);
Flow do_block(ScriptRun& run);
Flow loop(ScriptRun& run);
Flow goto_label(ScriptRun& run);
// Comments, empty statements, label lines and the else / elseif / endif lines met in
// the flow: nothing to do.
Flow nothing(ScriptRun& run);

// ---- Branches (statements_branch.cpp) ----
Flow if_block(ScriptRun& run);

// ---- Waits (statements_waits.cpp) ----
Flow waitfor(ScriptRun& run);
Flow timeout(ScriptRun& run);

// ---- Speech, sound, programs, listening (statements_speech.cpp) ----
Flow speak(ScriptRun& run);
Flow sound(ScriptRun& run);
Flow shell(ScriptRun& run);
Flow listen(ScriptRun& run);

// ---- Showing and hiding (statements_visibility.cpp) ----
Flow show(ScriptRun& run);
Flow load(ScriptRun& run);
Flow unload(ScriptRun& run);
Flow hide(ScriptRun& run);

// ---- Place, walk and size (statements_motion.cpp) ----
Flow moveto(ScriptRun& run);
Flow stopmoving(ScriptRun& run);
Flow charpos(ScriptRun& run);
Flow charsize(ScriptRun& run);

// ---- Other actions (statements.cpp) ----
Flow tickle(ScriptRun& run);
Flow pause(ScriptRun& run);
// A word that is no keyword: the statement names an animation to play.
Flow animation(ScriptRun& run);

}  // namespace pw::engine::statements
