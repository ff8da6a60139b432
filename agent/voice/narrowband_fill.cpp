#include "agent/voice/narrowband_fill.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace pw::voice {

namespace {

// The band above what a narrowband channel passes, measured every 250 Hz, in
// 25 ms frames 10 ms apart (16 kHz).
constexpr double band_from_hz = 4500, band_to_hz = 7000, band_step_hz = 250;
constexpr int frame_length = 400, frame_step = 160, rate = 16000;
// A sample this close to full scale marks a clipped frame: clipping clicks reach across
// the whole band whatever channel the speech came through. A loud voice into an 8 kHz
// headset, brought up to 16 kHz, overshoots full scale and clips there.
constexpr int clipped_from = 32000;

// Hann-windowed cosines and sines of each frequency measured, for a DFT bin by bin:
// a few bins cost less than a whole transform.
const std::vector<std::vector<float>>& band_basis()
{
    static const std::vector<std::vector<float>> basis = [] {
        std::vector<std::vector<float>> out;
        for (double hz = band_from_hz; hz <= band_to_hz + 1e-9; hz += band_step_hz) {
            std::vector<float> row(2 * frame_length);
            for (int n = 0; n < frame_length; ++n) {
                const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * n / (frame_length - 1));
                row[size_t(2 * n)] = float(hann * std::cos(2 * M_PI * hz * n / rate));
                row[size_t(2 * n + 1)] = float(hann * std::sin(2 * M_PI * hz * n / rate));
            }
            out.push_back(std::move(row));
        }
        return out;
    }();
    return basis;
}

double percentile(std::vector<double>& values, double p)
{
    const auto at = values.begin() + std::ptrdiff_t(p * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

}  // namespace

double high_band_rise_db(const qint16* samples, qsizetype count)
{
    const auto& basis = band_basis();
    std::vector<double> levels;
    for (qsizetype at = 0; at + frame_length <= count; at += frame_step) {
        if (std::any_of(samples + at, samples + at + frame_length, [](qint16 s) { return std::abs(s) >= clipped_from; }))
            continue;
        double power = 1e-3;
        for (const std::vector<float>& row : basis) {
            double re = 0, im = 0;
            for (int n = 0; n < frame_length; ++n) {
                re += samples[at + n] * row[size_t(2 * n)];
                im += samples[at + n] * row[size_t(2 * n + 1)];
            }
            power += re * re + im * im;
        }
        levels.push_back(10 * std::log10(power));
    }
    if (levels.empty()) return 0;
    return percentile(levels, 0.99) - percentile(levels, 0.5);
}

NarrowbandFill NarrowbandFill::parse(const QByteArray& text, QString* problems)
{
    NarrowbandFill out;
    QStringList trouble;
    Fit* open = nullptr;
    int line_number = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++line_number;
        const qsizetype hash = raw.indexOf('#');
        const QByteArray line = (hash >= 0 ? raw.left(hash) : raw).simplified();
        if (line.isEmpty()) continue;
        const QList<QByteArray> words = line.split(' ');
        if (words[0] == "warp") {
            Fit fit;
            bool ok = words.size() == 4;
            if (ok) fit.warp = words[1].toDouble(&ok);
            if (ok) fit.filters = words[2].toInt(&ok);
            if (ok) fit.first = words[3].toInt(&ok);
            if (!ok || fit.warp <= 0 || fit.first < 1 || fit.first >= fit.filters) {
                trouble << QStringLiteral("line %1: \"warp W FILTERS FIRST\" expected").arg(line_number);
                open = nullptr;
                continue;
            }
            out.fits_.push_back(fit);
            open = &out.fits_.back();
            continue;
        }
        const size_t wanted = open ? size_t(open->first + 1) : 0;
        bool ok = open && size_t(words.size()) == wanted;
        for (qsizetype i = 0; ok && i < words.size(); ++i) {
            const float v = words[i].toFloat(&ok);
            ok = ok && std::isfinite(v);
            if (ok) open->rows.push_back(v);
        }
        if (!ok) {
            trouble << QStringLiteral("line %1: %2 numbers expected after a warp line").arg(line_number).arg(wanted);
            if (open) out.fits_.pop_back();
            open = nullptr;
        }
    }
    // Only complete fits are used.
    std::erase_if(out.fits_, [&](const Fit& f) {
        const bool whole = f.rows.size() == size_t(f.filters - f.first) * size_t(f.first + 1);
        if (!whole) trouble << QStringLiteral("the fit for warp %1 is incomplete").arg(f.warp);
        return !whole;
    });
    if (problems) *problems = trouble.join(QStringLiteral("; "));
    return out;
}

NarrowbandFill NarrowbandFill::built_in()
{
    QFile file(QStringLiteral(":/speech/narrowband_fill.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "The built-in narrowband fit is missing; speech from a narrowband microphone is heard as it came.";
        return {};
    }
    QString problems;
    NarrowbandFill fill = parse(file.readAll(), &problems);
    if (!problems.isEmpty()) qWarning().noquote() << "Built-in narrowband fit:" << problems;
    return fill;
}

bool NarrowbandFill::fill(double warp, std::vector<float>& log_spectra, int filters) const
{
    const auto fit = std::find_if(fits_.begin(), fits_.end(), [&](const Fit& f) {
        return std::abs(f.warp - warp) < 1e-6 && f.filters == filters;
    });
    if (fit == fits_.end() || filters <= 0) return false;
    const size_t width = size_t(filters);
    const size_t inputs = size_t(fit->first);
    for (size_t f = 0; f + width <= log_spectra.size(); f += width) {
        float* frame = log_spectra.data() + f;
        for (size_t k = inputs; k < width; ++k) {
            const float* row = fit->rows.data() + (k - inputs) * (inputs + 1);
            double predicted = row[0];
            for (size_t i = 0; i < inputs; ++i) predicted += row[i + 1] * frame[i];
            frame[k] = std::max(frame[k], float(predicted));
        }
    }
    return true;
}

}  // namespace pw::voice
