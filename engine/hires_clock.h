#pragma once
// A high-resolution clock that pauses may use instead of the millisecond tick. The
// program's timing class implements it; RunState only borrows one.

namespace pw::engine {

class HiresClock {
public:
    virtual ~HiresClock() = default;
    // Milliseconds on a monotonic clock, with fractions.
    virtual double get_time() = 0;
    // Clock milliseconds per real millisecond (1 for a real clock). Waits that sleep
    // until a deadline on this clock divide by it.
    virtual double speed() const { return 1.0; }
};

}  // namespace pw::engine
