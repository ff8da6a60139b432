// The keyword table (which function runs a statement, and who ends its line) and the
// plain actions: tickling, pausing, and playing an animation by name.

#include "engine/run_wait.h"
#include "engine/script_text.h"
#include "engine/statement_handlers.h"
#include "engine/tickle_char.h"

namespace pw::engine {

StatementHandler handler_for(script::Keyword keyword)
{
    using script::Keyword;
    namespace s = statements;
    switch (keyword) {
    case Keyword::sequential: return s::sequential;
    case Keyword::report: return s::report;
    case Keyword::if_: return s::if_block;
    case Keyword::endif: return s::nothing;
    case Keyword::elseif: return s::nothing;
    case Keyword::else_: return s::nothing;
    case Keyword::waitfor: return s::waitfor;
    case Keyword::timeout: return s::timeout;
    case Keyword::do_: return s::do_block;
    case Keyword::loop: return s::loop;
    case Keyword::tickle: return s::tickle;
    case Keyword::sound: return s::sound;
    case Keyword::shell: return s::shell;
    case Keyword::speak: return s::speak;
    case Keyword::show: return s::show;
    case Keyword::load: return s::load;
    case Keyword::unload: return s::unload;
    case Keyword::stopmoving: return s::stopmoving;
    case Keyword::hide: return s::hide;
    case Keyword::moveto: return s::moveto;
    case Keyword::pause: return s::pause;
    case Keyword::charpos: return s::charpos;
    case Keyword::charsize: return s::charsize;
    case Keyword::interval: return s::interval;
    case Keyword::goto_: return s::goto_label;
    case Keyword::comment: return s::nothing;
    case Keyword::listen: return s::listen;
    case Keyword::empty: return s::nothing;
    case Keyword::label: return s::nothing;
    case Keyword::animation: return s::animation;
    }
    return s::animation;
}

bool ends_its_own_line(script::Keyword keyword)
{
    using script::Keyword;
    switch (keyword) {
    case Keyword::speak:
    case Keyword::show:
    case Keyword::load:
    case Keyword::unload:
    case Keyword::hide:
    case Keyword::moveto:
    case Keyword::animation:
    case Keyword::waitfor:
    case Keyword::shell: return false;
    default: return true;
    }
}

namespace statements {

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
    RunState& state = run.state;
    const int slot = run.line_slot();
    // The line's character is asked directly, as show and hide ask; the statement as
    // written (case kept) names the animation. In sequential mode the others wait for it.
    pw::agent::Character& c = run.slot_char(slot);
    state.current_char = c.name();
    state.characters[slot].request = c.play(script::right_trim_blanks(run.statement));
    state.hold_others(state.characters[slot].request);
    state.request_busy = true;
    return Flow::next_line;
}

}  // namespace statements

}  // namespace pw::engine
