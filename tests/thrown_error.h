#pragma once
// The AgentError a call throws; number 0 and no text when it throws none.

#include "agent/api/agent_error.h"

namespace pw::test {

template <typename F>
agent::AgentError thrown_error(F&& f)
{
    try {
        f();
    } catch (const agent::AgentError& e) {
        return e;
    }
    return agent::AgentError(0, QString());
}

}  // namespace pw::test
