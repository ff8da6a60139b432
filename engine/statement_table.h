#pragma once
// Which function runs a statement: the keyword table mapped to the handlers.

#include "engine/script_run.h"
#include "engine/script_text.h"

namespace pw::engine {

using StatementHandler = Flow (*)(ScriptRun&);

StatementHandler handler_for(script::Keyword keyword);

// Who ends a line: the statement itself, once it has returned and its wait is over, or
// the character request it queued (its RequestStart outside sequential mode, else its
// RequestComplete: engine/run_events.cpp). waitfor and shell end some lines themselves
// and leave others to their requests, so they tell for themselves.
bool ends_its_own_line(script::Keyword keyword);

}  // namespace pw::engine
