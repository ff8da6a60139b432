#pragma once
// A faint, steady pink noise added to what the microphone hears. Digital silence and a
// quiet room then look alike to the speech detector and the decoder, which were trained
// on recordings that always have some noise.

#include <QtGlobal>
#include <array>
#include <vector>

namespace pw::voice {

class NoiseFloor {
public:
    // The noise starts over: the same audio is then heard the same way every time.
    void restart(int sample_rate);
    // `samples` with the noise `db` below full scale added; `samples` itself when db <= 0.
    // The result lasts until the next call.
    const qint16* add(const qint16* samples, qsizetype count, double db);

private:
    double next();

    std::vector<qint16> floored_;
    quint32 state_ = 1;
    std::array<double, 3> pink_{};  // the filter's state
};

}  // namespace pw::voice
