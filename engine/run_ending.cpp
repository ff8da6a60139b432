// After the last line, after a cancel, or after a failure.

#include "engine/run_steps.h"
#include "engine/script_error.h"
#include "engine/script_text.h"
#include "platform/core/trace.h"

namespace pw::engine {

void end_of_run(ScriptRun& run)
{
    pellwick_mod& mod = run.mod;
    RunHost& host = run.host;
    run.fault_line = -1;

    resumable([&] {
        // current_char may hold a character's Name, which need not be its id: nothing
        // was listening under a name that no slot knows.
        if (const int slot = mod.char_index(mod.current_char); slot >= 0)
            run.slot_char(slot).listen(false);
    });
    // The run's voice words go; "Quit" and "Cancel Script" stay.
    resumable([&] { reset_commands(run); });
    mod.waiting = false;
    mod.script_running = false;

    host.set_editor_read_only(false);
    host.set_editor_selection(host.editor_selection_start(), 0);
    host.set_clock_ticking(false);
    host.unload_clock();

    mod.sequential = true;
    mod.request_busy = true;
    resumable([&] {
        // Pellwick steps onto its own place, and the run waits until a request ends
        // (any RequestComplete clears request_busy), so the last action can finish.
        const int slot = run.slot_of(QStringLiteral("pellwick"));
        pw::agent::Character& pellwick = run.slot_char(slot);
        mod.char_request[slot] = pellwick.move_to(pellwick.left(), pellwick.top());
        while (mod.request_busy) mod.do_events();
    });

    if (host.hide_forms_checked()) host.show_forms();
    mod.let_events_run();

    if (mod.command_line_mode == 1) {
        resumable([&] {
            // A script without any prefix has Pellwick say it.
            const int slot =
                run.line_character.isEmpty() ? run.slot_of(QStringLiteral("pellwick")) : run.line_slot();
            mod.char_say(slot, QStringLiteral("Bye!"));
            mod.agent_idle = false;
            mod.wait_idle();
        });
        pw::trace::run_end();
        mod.end_program(0);
        return;
    }
    pw::trace::run_end();
}

void take_error_path(ScriptRun& run, const QString& reason, bool whole_script)
{
    const bool tell_reason = script::trim_blanks(run.statement).isEmpty() && !reason.isEmpty();
    const QString message = whole_script ? reason
                                         : spelling_message(run.line_character, run.statement)
                                               + where_it_went_wrong(run.fault_line, tell_reason ? reason : QString());
    pw::trace::run_error(message);
    run.host.message_box(message);
    run.host.set_clock_ticking(false);
    run.host.unload_clock();
    run.host.show_forms();
    if (run.last_condition_name == QLatin1String("key")) run.host.remove_key_hook();
    // A script that failed on the desktop ends the program with a status that says so.
    if (run.mod.command_line_mode == 1) run.mod.end_program(1);
}

}  // namespace pw::engine
