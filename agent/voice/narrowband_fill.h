#pragma once
// Speech through a narrowband channel (a headset microphone at 8 kHz) has nothing above
// 4 kHz, where the speech model's top filters listen: they hear only the noise floor,
// and the model fits such speech badly. Such an utterance is told by a high band that never
// rises above its noise, and its top filters are raised to what the lower ones predict: a
// linear fit of the top filters' log energies on the lower ones over frames of
// full-band speech (data/speech/narrowband_fill.txt, made by bench/narrowband_fit).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace pw::voice {

// How far, in dB, the band from 4.5 to 7 kHz rises in the loudest moments of 16 kHz
// audio (its 99th percentile over 25 ms frames) above its median frame. In speech that
// came full-band, hisses and bursts (s, t, f) stand far above the rest; through a
// narrowband channel the band holds only steady noise, which rises a few dB at most.
// Clipped frames are left out. 0 when no frame is left.
double high_band_rise_db(const qint16* samples, qsizetype count);

class NarrowbandFill {
public:
    // Lines "warp W FILTERS FIRST", each followed by FILTERS - FIRST lines, one for each
    // filled filter from FIRST on: its offset then one weight for each filter below
    // FIRST. "#" starts a comment.
    static NarrowbandFill parse(const QByteArray& text, QString* problems = nullptr);
    // The built-in fit; empty (with a warning) when it is missing or broken.
    static NarrowbandFill built_in();

    // Raises the top filters of each frame of a pass at `warp` to what its lower ones
    // predict, never lowering one. False when there is no fit for that warp and
    // number of filters.
    bool fill(double warp, std::vector<float>& log_spectra, int filters) const;

private:
    struct Fit {
        double warp = 1;
        int filters = 0;
        int first = 0;
        std::vector<float> rows;  // (filters - first) rows of first + 1: offset, weights
    };
    std::vector<Fit> fits_;
};

}  // namespace pw::voice
