#include "engine/report_timer.h"

namespace pw::engine {

ReportTimer::ReportTimer(RunState& state) : state_(state)
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        state_.report_due = true;
        state_.wake_run();
    });
}

void ReportTimer::set(bool enabled, int interval_ms)
{
    const bool changed = enabled != enabled_ || interval_ms != interval_ms_;
    enabled_ = enabled;
    interval_ms_ = interval_ms;
    if (!enabled_ || interval_ms_ <= 0) {
        timer_.stop();
        return;
    }
    if (changed || !timer_.isActive()) timer_.start(interval_ms_);
}

}  // namespace pw::engine
