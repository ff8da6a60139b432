#pragma once
// The timing class: a high-resolution monotonic counter read as two 32-bit halves,
// turned into milliseconds for the pauses of a script run. The counter here is the
// system's monotonic clock in nanoseconds, so its frequency is 10^9 counts a second.

#include "engine/hires_clock.h"

#include <cstdint>

namespace pw::media {

// A 64-bit counter value as the two halves it is stored in, low first.
struct CounterValue {
    int32_t low = 0;
    int32_t high = 0;

    static CounterValue from_u64(uint64_t v)
    {
        return {int32_t(uint32_t(v & 0xffffffffu)), int32_t(uint32_t(v >> 32))};
    }
};

// Where the counts come from. Each returns false when there is no counter.
struct CounterSource {
    bool (*read_counter)(CounterValue& out) = nullptr;
    bool (*read_frequency)(CounterValue& out) = nullptr;

    static CounterSource monotonic();
};

class MonotonicClock : public pw::engine::HiresClock {
public:
    // GetTime divides by the program-wide frequency, not by this object's own: the
    // caller hands in where that value lives (RunState::hires_frequency).
    explicit MonotonicClock(const double& hires_frequency, CounterSource source = CounterSource::monotonic());

    int32_t api_result = 0;
    CounterValue start_count;  // never set: the counter's own origin is the start
    CounterValue mark_count;
    CounterValue frequency_count;
    double start_ticks = 0.0;
    double mark_ticks = 0.0;

    // Counts from the start to the last mark.
    double GetTicks();
    // Marks the time and returns it in milliseconds.
    double GetTime();
    void MarkTime();
    // Counts per second, unscaled; 0 when there is no counter.
    double Initialise();

    // Each half read as a signed number, made positive again when its top bit is set.
    static double count_to_double(const CounterValue& count);

    double get_time() override { return GetTime(); }

private:
    const double& hires_frequency_;
    CounterSource source_;
};

}  // namespace pw::media
