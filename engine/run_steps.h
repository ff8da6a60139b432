#pragma once
// The parts of a run besides its lines: preparation, the characters' commands and the
// error path. Internal to the engine.

#include "agent/api/agent_error.h"
#include "engine/script_run.h"

#include <QString>

#include <functional>

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
// Shows the spelling message and leaves the run where it failed. The reason is shown
// under it when the failure has no statement to show; a fault of the whole script is
// told by its reason alone. `done` runs once the child has closed the message and the
// windows are put back.
void take_error_path(ScriptRun& run, const QString& reason, bool whole_script, std::function<void()> done);

}  // namespace pw::engine
