// After a failure: the message, then the windows put back.

#include "engine/run_steps.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "platform/core/trace.h"

namespace pw::engine {

void take_error_path(ScriptRun& run, const QString& reason, bool whole_script, std::function<void()> done)
{
    const bool tell_reason = script::trim_blanks(run.statement).isEmpty() && !reason.isEmpty();
    const QString message = whole_script ? reason
                                         : spelling_message(run.line_character, run.statement)
                                               + where_it_went_wrong(run.fault_line, tell_reason ? reason : QString());
    pw::trace::run_error(message);
    RunHost& host = run.host;
    RunState& state = run.state;
    const bool key_hooked = run.last_condition_name == QLatin1String("key");
    host.message_box(message, [&host, &state, key_hooked, done = std::move(done)] {
        host.set_clock_ticking(false);
        host.unload_clock();
        host.show_forms();
        if (key_hooked) host.remove_key_hook();
        // A script that failed on the desktop ends the program with a status that says so.
        if (state.command_line_mode == 1) state.end_program(1);
        if (done) done();
    });
}

}  // namespace pw::engine
