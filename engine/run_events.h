#pragma once
// The character platform's events as the run state sees them: requests starting and
// ending, the characters idling and their balloons closing, a command heard while a
// wait listens. Each updates the run state and wakes the run, which then looks at what
// it waits for. The run state makes one for its platform; the windows only handle what
// a person does (clicks, menus).

#include <QObject>

namespace pw::agent {
class AgentControl;
}

namespace pw::engine {

class RunState;

class RunEvents : public QObject {
public:
    RunEvents(pw::agent::AgentControl& agent, RunState& state);
};

}  // namespace pw::engine
