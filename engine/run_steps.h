#pragma once
// The parts of run_script: preparation, the line loop, the end-of-run block and the
// error path. Internal to the engine.

#include "agent/api/agent_error.h"
#include "engine/script_run.h"

#include <QString>

namespace pw::engine {

// Runs one step of a run. A character call that fails only because a command of that
// name exists already (a script that listens for the same word twice) is skipped and
// the run goes on with the next step; every other failure goes up to the error trap.
template <typename F> void resumable(F&& step)
{
    try {
        step();
    } catch (const pw::agent::AgentError& e) {
        if (e.number() != pw::agent::error::command_already_in_use) throw;
    }
}

// Lines, labels, voice words and the characters' commands. A WholeScriptError when the
// script cannot run at all (nothing to play, too long...).
void prepare_run(ScriptRun& run, const QString& text);
// Every character's commands become just "Quit" and "Cancel Script".
void reset_commands(ScriptRun& run);
// Executes the lines from run.i on; returns at the end, or when the run is cancelled.
void run_lines(ScriptRun& run);
// Puts commands, windows and modes back; in "runout" mode says goodbye and ends.
void end_of_run(ScriptRun& run);
// Shows the spelling message and leaves the run where it failed. The reason is shown
// under it when the failure has no statement to show; a fault of the whole script is
// told by its reason alone.
void take_error_path(ScriptRun& run, const QString& reason, bool whole_script = false);

}  // namespace pw::engine
