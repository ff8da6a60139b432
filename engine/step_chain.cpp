#include "engine/step_chain.h"

namespace pw::engine {

StepChain::StepChain(RunState& state, QObject* owner) : QObject(owner), state_(state)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { go_on(); });
}

void StepChain::then(std::function<int32_t()> step) { steps_.push_back(std::move(step)); }

void StepChain::start() { go_on(); }

void StepChain::go_on()
{
    if (pause_) {
        if (!pause_->look().over) {
            timer_.start(pause_->look_again_ms());
            return;
        }
        pause_.reset();
    }
    while (!steps_.empty()) {
        const auto step = std::move(steps_.front());
        steps_.pop_front();
        if (const int32_t ms = step(); ms > 0) {
            pause_ = std::make_unique<PauseWait>(state_, ms, false);
            timer_.start(pause_->look_again_ms());
            return;
        }
    }
    deleteLater();
}

}  // namespace pw::engine
