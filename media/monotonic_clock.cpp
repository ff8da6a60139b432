#include "media/monotonic_clock.h"

#include <ctime>

namespace pw::media {

namespace {

constexpr double two_to_32 = 4294967296.0;

bool read_monotonic_ns(CounterValue& out)
{
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return false;
    out = CounterValue::from_u64(uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec));
    return true;
}

bool read_ns_frequency(CounterValue& out)
{
    timespec res{};
    // A clock that cannot tell its resolution is not one to time pauses with.
    if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return false;
    out = CounterValue::from_u64(1000000000u);
    return true;
}

}  // namespace

CounterSource CounterSource::monotonic()
{
    return {&read_monotonic_ns, &read_ns_frequency};
}

MonotonicClock::MonotonicClock(const double& hires_frequency, CounterSource source)
    : hires_frequency_(hires_frequency), source_(source)
{
}

double MonotonicClock::count_to_double(const CounterValue& count)
{
    double low = count.low;
    double high = count.high;
    if (low < 0) low += two_to_32;
    if (high < 0) high += two_to_32;
    return high * two_to_32 + low;
}

double MonotonicClock::GetTicks()
{
    start_ticks = count_to_double(start_count);
    mark_ticks = count_to_double(mark_count);
    return mark_ticks - start_ticks;
}

double MonotonicClock::GetTime()
{
    MarkTime();
    return GetTicks() / hires_frequency_ * 1000.0;
}

void MonotonicClock::MarkTime()
{
    CounterValue now;
    const bool ok = source_.read_counter && source_.read_counter(now);
    api_result = ok ? 1 : 0;
    if (ok) mark_count = now;
}

double MonotonicClock::Initialise()
{
    CounterValue f;
    const bool ok = source_.read_frequency && source_.read_frequency(f);
    api_result = ok ? 1 : 0;
    if (!ok) return 0.0;
    frequency_count = f;
    return count_to_double(frequency_count);
}

}  // namespace pw::media
