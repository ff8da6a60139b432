#pragma once
// Which function runs a statement: the keyword table mapped to the handlers.

#include "engine/script_run.h"
#include "engine/script_text.h"

namespace pw::engine {

using StatementHandler = Flow (*)(ScriptRun&);

StatementHandler handler_for(script::Keyword keyword);

}  // namespace pw::engine
