#pragma once
// The stage's handling of the platform's events, reduced to what a script run needs:
// requests starting and ending, idling, balloons, commands. Tests and the fuzzer use it
// where the program has the stage window.

#include "engine/pellwick_mod.h"
#include "tests/fakes/fake_agent.h"

namespace pw::fakes {

inline void connect_run_events(FakeAgent& agent, pw::engine::pellwick_mod& mod)
{
    using pw::agent::Request;
    QObject::connect(&agent, &FakeAgent::RequestStart, &agent, [&mod](const Request&) {
        mod.request_busy = true;
        if (!mod.sequential) mod.line_done = true;
    });
    QObject::connect(&agent, &FakeAgent::RequestComplete, &agent, [&mod](const Request&) {
        mod.request_busy = false;
        mod.line_done = true;
    });
    QObject::connect(&agent, &FakeAgent::IdleStart, &agent, [&mod] { mod.agent_idle = true; });
    QObject::connect(&agent, &FakeAgent::IdleComplete, &agent, [&mod] { mod.agent_idle = false; });
    QObject::connect(&agent, &FakeAgent::BalloonHide, &agent, [&mod] { mod.agent_idle = true; });
    QObject::connect(&agent, &FakeAgent::Command, &agent, [&mod](const pw::agent::UserInput& in) {
        if (mod.listening) {
            mod.listening = false;
            mod.heard_word = in.name;
            mod.word_heard = true;
        }
        mod.agent_idle = true;
    });
}

}  // namespace pw::fakes
