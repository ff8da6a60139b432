#pragma once
// The reminder timer of the waits: every tick sets report_due, which the waiting loop
// reads at its next pass. A window hosts one and hands it the settings a wait asks for.

#include "engine/run_state.h"

#include <QTimer>

namespace pw::engine {

class ReportTimer {
public:
    explicit ReportTimer(RunState& state);

    // As RunHost::set_report_timer: the same interval keeps the rhythm, a new one or
    // switching on counts afresh; an interval of 0 or less never ticks.
    void set(bool enabled, int interval_ms);

    bool enabled() const { return enabled_; }
    int interval_ms() const { return interval_ms_; }
    bool ticking() const { return timer_.isActive(); }

private:
    RunState& state_;
    QTimer timer_;
    bool enabled_ = false;
    int interval_ms_ = 0;
};

}  // namespace pw::engine
