#pragma once
// A high-resolution clock that pauses may use instead of the millisecond tick. The
// program's timing class implements it; pellwick_mod only borrows one.

namespace pw::engine {

class HiresClock {
public:
    virtual ~HiresClock() = default;
    // Milliseconds on a monotonic clock, with fractions.
    virtual double get_time() = 0;
};

}  // namespace pw::engine
