#include "engine/run_events.h"

#include "agent/api/agent_control.h"
#include "engine/run_state.h"

#include <exception>

namespace pw::engine {

using pw::agent::AgentControl;
using pw::agent::Request;

RunEvents::RunEvents(AgentControl& agent, RunState& state)
{
    connect(&agent, &AgentControl::RequestStart, this, [&state](const Request&) {
        state.request_busy = true;
        // Outside sequential mode a line is done as soon as its action starts; nothing
        // else waits for a start.
        if (state.options.sequential) return;
        state.line_done = true;
        state.wake_run();
    });
    connect(&agent, &AgentControl::RequestComplete, this, [&state](const Request&) {
        state.request_busy = false;
        state.line_done = true;
        state.wake_run();
    });
    connect(&agent, &AgentControl::IdleStart, this, [&state](const QString&) {
        state.agent_idle = true;
        state.wake_run();
    });
    // A listening period ends by itself after a while; the listening wait asks again.
    connect(&agent, &AgentControl::ListenComplete, this, [&state](const QString&, int) {
        if (state.listening) state.wake_run();
    });
    // A character dragged, or gliding: a bump wait looks.
    connect(&agent, &AgentControl::Move, this, [&state](const QString&, int, int, int) {
        if (state.watching_moves) state.wake_run();
    });
    connect(&agent, &AgentControl::IdleComplete, this, [&state](const QString&) { state.agent_idle = false; });
    connect(&agent, &AgentControl::BalloonHide, this, [&state](const QString&) {
        state.agent_idle = true;
        state.wake_run();
    });
    connect(&agent, &AgentControl::Command, this, [&agent, &state](const pw::agent::UserInput& input) {
        // "Quit" and "Cancel Script" are the stage's to handle; any other command a
        // listening wait hears is its word.
        const QString name = input.name.toLower();
        if (state.listening && name != QLatin1String("quit") && name != QLatin1String("cancel script")) {
            try {
                if (pw::agent::Character* c = agent.item(input.character_id)) c->listen(false);
            } catch (const std::exception&) {
            }
            state.listening = false;
            state.heard_word = input.name;
            state.word_heard = true;
        }
        state.agent_idle = true;
        state.wake_run();
    });
}

}  // namespace pw::engine
