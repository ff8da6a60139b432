#include "engine/run_script.h"

#include "engine/script_runner.h"

namespace pw::engine {

bool start_run(pellwick_mod& mod, RunHost& host, const QString& text)
{
    if (mod.run_under_way()) return false;
    mod.set_runner(std::make_unique<ScriptRunner>(mod, host));
    mod.runner()->start(text);
    return true;
}

void step_run(pellwick_mod& mod)
{
    mod.step_pressed = true;
    mod.wake_run();
}

}  // namespace pw::engine
