#pragma once
// A high-resolution clock that runs `factor` times faster than real time, so that
// pauses and minute waits of seconds take milliseconds in tests; times are read back
// in its own (virtual) milliseconds.

#include "engine/hires_clock.h"

#include <QElapsedTimer>

namespace pw::fakes {

class FastClock : public pw::engine::HiresClock {
public:
    explicit FastClock(double factor) : factor_(factor) { real_.start(); }
    double get_time() override { return double(real_.nsecsElapsed()) / 1e6 * factor_; }
    double speed() const override { return factor_; }

private:
    QElapsedTimer real_;
    double factor_;
};

}  // namespace pw::fakes
