// The runner's last phases: the end-of-run block, Pellwick back on his place, a failure
// and the end of the run.

#include "engine/script_runner.h"

#include "engine/run_steps.h"
#include "platform/core/trace.h"

#include <QPointer>

namespace pw::engine {

void ScriptRunner::step_ending()
{
    RunState& state = run_.state;
    RunHost& host = run_.host;
    run_.fault_line = -1;

    resumable([&] {
        // current_char may hold a character's Name, which need not be its id: nothing
        // was listening under a name that no slot knows.
        if (const int slot = state.char_index(state.current_char); slot >= 0) run_.slot_char(slot).listen(false);
    });
    // The run's voice words go; "Quit" and "Cancel Script" stay.
    resumable([&] { reset_commands(run_); });
    state.waiting = false;
    state.script_running = false;

    host.set_editor_read_only(false);
    host.clear_line_mark();
    host.set_clock_ticking(false);
    host.unload_clock();

    state.options.sequential = true;
    state.request_busy = true;
    phase_ = Phase::ending_shown;
    bool stepped = false;
    resumable([&] {
        // Pellwick steps onto its own place, and the run waits until a request ends
        // (any RequestComplete clears request_busy), so the last action can finish.
        const int slot = run_.slot_of(QStringLiteral("pellwick"));
        pw::agent::Character& pellwick = run_.slot_char(slot);
        state.characters[slot].request = pellwick.move_to(pellwick.left(), pellwick.top());
        stepped = true;
    });
    if (stepped) {
        auto wait = std::make_unique<ConditionWait>([&state] { return !state.request_busy; }, Flow::next_line);
        wait->kind = WaitKind::action;
        wait_for(std::move(wait), [](Flow) {});
    }
}

void ScriptRunner::step_ending_shown()
{
    RunState& state = run_.state;
    if (!windows_back_) {
        windows_back_ = true;
        if (run_.host.hide_forms_checked()) run_.host.show_forms();
        // The last action's events come first: a balloon closing now must not end the
        // wait for the goodbye below.
        wait_for(std::make_unique<TurnWait>(), [](Flow) {});
        return;
    }
    if (state.command_line_mode != 1) {
        pw::trace::run_end();
        finish();
        return;
    }
    phase_ = Phase::farewell;
    bool said = false;
    resumable([&] {
        // A script without any prefix has Pellwick say it.
        const int slot =
            run_.line_character.isEmpty() ? run_.slot_of(QStringLiteral("pellwick")) : run_.line_slot();
        state.char_say(slot, QStringLiteral("Bye!"));
        state.agent_idle = false;
        said = true;
    });
    if (said) wait_for(std::make_unique<IdleWait>(state), [](Flow) {});
}

void ScriptRunner::fail(const QString& reason, bool whole_script)
{
    waits_.clear();
    after_wait_ = nullptr;
    phase_ = Phase::failed;
    QPointer<ScriptRunner> self(this);
    take_error_path(run_, reason, whole_script, [self] {
        if (self) self->finish();
    });
}

void ScriptRunner::finish()
{
    phase_ = Phase::over;
    look_timer_.stop();
    tell_waiting();
    run_.host.run_over();
}

}  // namespace pw::engine
