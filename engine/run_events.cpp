#include "engine/run_events.h"

#include "agent/api/agent_control.h"
#include "engine/run_state.h"

#include <exception>

namespace pw::engine {

using pw::agent::AgentControl;
using pw::agent::Request;

RunEvents::RunEvents(AgentControl& agent, RunState& mod)
{
    connect(&agent, &AgentControl::RequestStart, this, [&mod](const Request&) {
        mod.request_busy = true;
        // Outside sequential mode a line is done as soon as its action starts; nothing
        // else waits for a start.
        if (mod.options.sequential) return;
        mod.line_done = true;
        mod.wake_run();
    });
    connect(&agent, &AgentControl::RequestComplete, this, [&mod](const Request&) {
        mod.request_busy = false;
        mod.line_done = true;
        mod.wake_run();
    });
    connect(&agent, &AgentControl::IdleStart, this, [&mod](const QString&) {
        mod.agent_idle = true;
        mod.wake_run();
    });
    connect(&agent, &AgentControl::IdleComplete, this, [&mod](const QString&) { mod.agent_idle = false; });
    connect(&agent, &AgentControl::BalloonHide, this, [&mod](const QString&) {
        mod.agent_idle = true;
        mod.wake_run();
    });
    connect(&agent, &AgentControl::Command, this, [&agent, &mod](const pw::agent::UserInput& input) {
        // "Quit" and "Cancel Script" are the stage's to handle; any other command a
        // listening wait hears is its word.
        const QString name = input.name.toLower();
        if (mod.listening && name != QLatin1String("quit") && name != QLatin1String("cancel script")) {
            try {
                if (pw::agent::Character* c = agent.item(input.character_id)) c->listen(false);
            } catch (const std::exception&) {
            }
            mod.listening = false;
            mod.heard_word = input.name;
            mod.word_heard = true;
        }
        mod.agent_idle = true;
        mod.wake_run();
    });
}

}  // namespace pw::engine
