#pragma once
// Steps that follow one another with pauses on the program's clock in between, taken
// from the event loop: the characters saying "I'm cancelled" one after the other, or
// goodbye. A step returns how long to pause after it (0: the next step at once).

#include "engine/run_wait.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace pw::engine {

class StepChain : public QObject {
public:
    StepChain(RunState& state, QObject* owner);

    void then(std::function<int32_t()> step);
    // Takes the steps up to the first pause at once; the chain deletes itself after its
    // last step.
    void start();

private:
    void go_on();

    RunState& state_;
    std::deque<std::function<int32_t()>> steps_;
    std::unique_ptr<PauseWait> pause_;
    QTimer timer_;
};

}  // namespace pw::engine
