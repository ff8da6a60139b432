#pragma once
// One function per statement. Each reads run.keyword / run.arguments (and the line's
// character) and acts; who ends its line is told by ends_its_own_line()
// (statement_table.h). A statement that has to wait (a pause, a sound, a waitfor, a question) leaves
// the wait in run.wait and returns; the runner holds it, and the wait tells how the run
// goes on. Failures throw (AgentError or ScriptError) and reach the runner's error trap.

#include "engine/script_run.h"

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

// ---- Other actions (statements_actions.cpp) ----
Flow tickle(ScriptRun& run);
Flow pause(ScriptRun& run);
// A word that is no keyword: the statement names an animation to play.
Flow animation(ScriptRun& run);

}  // namespace pw::engine::statements
