// Waiting for something to happen before the script goes on.

#include "engine/script_error.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"

namespace pw::engine::statements {

Flow waitfor_not_available_yet(ScriptRun& run)
{
    // The condition is read so that the error path knows whether a key wait was asked.
    if (const auto condition = script::wait_condition(run.arguments))
        run.last_condition_name = condition->name;
    throw ScriptError(QStringLiteral("Waiting is not available in this version."));
}

Flow timeout(ScriptRun& run)
{
    // Accepted for old scripts; no wait uses it.
    run.mod.line_done = true;
    return Flow::next_line;
}

}  // namespace pw::engine::statements
