#include "engine/run_control.h"

#include "engine/script_runner.h"

namespace pw::engine {

bool start_run(RunState& mod, RunHost& host, const QString& text)
{
    if (mod.run_under_way()) return false;
    mod.set_runner(std::make_unique<ScriptRunner>(mod, host));
    mod.runner()->start(text);
    return true;
}

void step_run(RunState& mod)
{
    // Only a run waiting for Step takes it: a double click runs one line, not two.
    const ScriptRunner* runner = mod.runner();
    const RunWait* wait = runner ? runner->current_wait() : nullptr;
    if (!wait || wait->kind != WaitKind::step) return;
    mod.step_pressed = true;
    mod.wake_run();
}

}  // namespace pw::engine
