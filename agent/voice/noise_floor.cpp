#include "agent/voice/noise_floor.h"

#include <algorithm>
#include <cmath>

namespace pw::voice {

double NoiseFloor::next()
{
    // Pink noise, as rooms and microphones make: white noise (near Gaussian, the sum of
    // four uniform draws) through Paul Kellet's three-pole filter, scaled to unit spread.
    double sum = 0;
    for (int k = 0; k < 4; ++k) {
        state_ ^= state_ << 13;  // xorshift32
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        sum += double(qint32(state_));
    }
    const double white = sum * (std::sqrt(3.0) / 2.0 / double(1u << 31));
    pink_[0] = 0.99765 * pink_[0] + white * 0.0990460;
    pink_[1] = 0.96300 * pink_[1] + white * 0.2965164;
    pink_[2] = 0.57000 * pink_[2] + white * 1.0526913;
    return (pink_[0] + pink_[1] + pink_[2] + white * 0.1848) / 2.96;
}

void NoiseFloor::restart(int sample_rate)
{
    // The filter starts settled: noise swelling from nothing would look like the start
    // of speech to the detector.
    state_ = 1;
    pink_ = {};
    for (int i = 0; i < sample_rate / 2; ++i) next();
}

const qint16* NoiseFloor::add(const qint16* samples, qsizetype count, double db)
{
    if (db <= 0) return samples;
    const double spread = 32768.0 * std::pow(10.0, -db / 20.0);
    floored_.resize(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        floored_[size_t(i)] = qint16(std::clamp(std::lround(samples[i] + next() * spread), -32768L, 32767L));
    return floored_.data();
}

}  // namespace pw::voice
