// Tickling, pausing, and playing an animation by name.

#include "engine/run_wait.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"
#include "engine/tickle_char.h"

namespace pw::engine::statements {

Flow tickle(ScriptRun& run)
{
    tickle_char(run.state, run.line_character, float(script::leading_number(run.arguments)));
    run.state.agent_idle = false;
    return Flow::next_line;
}

Flow pause(ScriptRun& run)
{
    RunState& state = run.state;
    run.wait = std::make_unique<PauseWait>(state, checked_int32(script::leading_number(run.arguments) * 1000.0),
                                           true);
    run.wait->kind = WaitKind::pause;
    return Flow::next_line;
}

Flow animation(ScriptRun& run)
{
    // The statement as written (case kept) names the animation.
    run.state.char_play(run.line_slot(), script::right_trim_blanks(run.statement));
    run.state.request_busy = true;
    return Flow::next_line;
}

}  // namespace pw::engine::statements
