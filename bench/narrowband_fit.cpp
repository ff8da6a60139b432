// Fits how the top filters' log energies follow from the lower ones in full-band speech,
// for the recogniser to fill them in when speech comes through a narrowband channel
// (data/speech/narrowband_fill.txt is its output); or, with --rises, prints how far each
// clip's band above 4.5 kHz rose (high_band_rise_db), to see how well that tells the two
// kinds of clip apart (without it, the rises go to stderr).
//
// The clips are heard by the recogniser with the built-in settings, as
// bench_recognition_clips hears them, and the filters are taken as each listening pass
// sees them (after the recogniser's own trimming and noise floor). The fit is a least-
// squares line for each filled filter over every frame, slightly ridged.
//
//   bench_narrowband_fit LIST [--rises] [--upper HZ]
// LIST: one clip a line (16 kHz mono wave), optionally a tab and the words listened for
// separated by "|" (bench/listening_e2e.py --list writes it). Writes to stdout.

#include "agent/acs/wav_audio.h"
#include "agent/voice/command_recogniser.h"
#include "agent/voice/microphone.h"
#include "agent/voice/mono_resampler.h"

#include <QCoreApplication>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <map>

using pw::voice::CommandRecogniser;

namespace {

// Sums of a least-squares fit of every filled filter on the filters below it.
struct Normal {
    int filters = 0;
    int first = 0;
    std::vector<double> xx;  // (first + 1)^2, the first input being 1
    std::vector<double> xy;  // (filters - first) x (first + 1)
    long frames = 0;

    void add(const float* frame)
    {
        const int n = first + 1;
        std::vector<double> x(size_t(n), 1.0);
        for (int i = 0; i < first; ++i) x[size_t(i + 1)] = frame[i];
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b) xx[size_t(a * n + b)] += x[size_t(a)] * x[size_t(b)];
        for (int k = first; k < filters; ++k)
            for (int a = 0; a < n; ++a) xy[size_t((k - first) * n + a)] += frame[k] * x[size_t(a)];
        ++frames;
    }

    // Weights for filter k (offset first), by Cholesky on the ridged normal equations.
    std::vector<double> solve(int k) const
    {
        const int n = first + 1;
        std::vector<double> a = xx;
        double trace = 0;
        for (int i = 1; i < n; ++i) trace += a[size_t(i * n + i)];
        for (int i = 1; i < n; ++i) a[size_t(i * n + i)] += 1e-4 * trace / (n - 1);
        for (int j = 0; j < n; ++j) {
            for (int p = 0; p < j; ++p) a[size_t(j * n + j)] -= a[size_t(j * n + p)] * a[size_t(j * n + p)];
            a[size_t(j * n + j)] = std::sqrt(a[size_t(j * n + j)]);
            for (int i = j + 1; i < n; ++i) {
                for (int p = 0; p < j; ++p) a[size_t(i * n + j)] -= a[size_t(i * n + p)] * a[size_t(j * n + p)];
                a[size_t(i * n + j)] /= a[size_t(j * n + j)];
            }
        }
        std::vector<double> w(xy.begin() + (k - first) * n, xy.begin() + (k - first + 1) * n);
        for (int i = 0; i < n; ++i) {
            for (int p = 0; p < i; ++p) w[size_t(i)] -= a[size_t(i * n + p)] * w[size_t(p)];
            w[size_t(i)] /= a[size_t(i * n + i)];
        }
        for (int i = n - 1; i >= 0; --i) {
            for (int p = i + 1; p < n; ++p) w[size_t(i)] -= a[size_t(p * n + i)] * w[size_t(p)];
            w[size_t(i)] /= a[size_t(i * n + i)];
        }
        return w;
    }
};

// The first filter a narrowband channel leaves short: the first whose band reaches
// above what such a channel passes (a filter reaches up to its neighbour's centre).
int first_filter_above_channel(const std::vector<double>& centres_hz, double upper_hz)
{
    for (size_t i = 0; i + 1 < centres_hz.size(); ++i)
        if (centres_hz[i + 1] > upper_hz) return int(i);
    return int(centres_hz.size()) - 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString list_path;
    bool rises = false;
    double upper_hz = 3800;  // what an 8 kHz channel passes, less its slope
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rises")) rises = true;
        else if (args[i] == QLatin1String("--upper") && i + 1 < args.size()) upper_hz = args[++i].toDouble();
        else list_path = args[i];
    }
    QFile list(list_path);
    if (list_path.isEmpty() || !list.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: bench_narrowband_fit LIST [--rises] [--upper HZ]\n");
        return 2;
    }
    std::map<double, Normal> fits;
    std::vector<double> clip_rises;
    pw::voice::RecogniserSettings settings = pw::voice::RecogniserSettings::defaults();
    settings.tuning.narrowband_rise_db = 0;  // the spectra as they came
    settings.spectra_seen = [&](double warp, const std::vector<double>& centres, const std::vector<float>& spectra,
                                double rise) {
        if (warp == settings.tuning.warps.front()) clip_rises.push_back(rise);
        if (rises) return;
        Normal& fit = fits[warp];
        if (fit.filters == 0) {
            fit.filters = int(centres.size());
            fit.first = first_filter_above_channel(centres, upper_hz);
            fit.xx.assign(size_t((fit.first + 1) * (fit.first + 1)), 0.0);
            fit.xy.assign(size_t((fit.filters - fit.first) * (fit.first + 1)), 0.0);
        }
        for (size_t f = 0; f + centres.size() <= spectra.size(); f += centres.size()) fit.add(spectra.data() + f);
    };
    QString why;
    std::unique_ptr<CommandRecogniser> r = CommandRecogniser::create(settings, &why);
    if (!r) {
        std::fprintf(stderr, "no recogniser: %s\n", qPrintable(why));
        return 1;
    }
    const qsizetype block = qsizetype(CommandRecogniser::sample_rate) * pw::voice::microphone_block_ms / 1000;
    int clips = 0;
    for (const QByteArray& raw : list.readAll().split('\n')) {
        const QList<QByteArray> fields = raw.trimmed().split('\t');
        if (fields[0].isEmpty()) continue;
        QByteArray clip;
        try {
            clip = pw::voice::to_recogniser_audio(pw::acs::decode_wav_file(QString::fromUtf8(fields[0])));
        } catch (...) {
            std::fprintf(stderr, "cannot read %s\n", fields[0].constData());
            continue;
        }
        QStringList phrases{QStringLiteral("Cancel [Script]")};
        for (const QByteArray& w : fields.value(1, "hello").split('|')) phrases << QString::fromUtf8(w);
        r->restart();
        r->listen_for(phrases);
        clip_rises.clear();
        const auto* s = reinterpret_cast<const qint16*>(clip.constData());
        const qsizetype total = clip.size() / 2;
        const std::vector<qint16> quiet(size_t(block), 0);
        bool done = false;
        for (qsizetype at = 0; !done && at < total + r->sample_rate * 12; at += block) {
            const auto events = at < total ? r->feed(s + at, std::min(block, total - at)) : r->feed(quiet.data(), block);
            for (const auto& e : events) done = done || e.kind != CommandRecogniser::Event::SpeechStarted;
        }
        ++clips;
        FILE* to = rises ? stdout : stderr;
        std::fprintf(to, "%s", fields[0].constData());
        for (double c : clip_rises) std::fprintf(to, "\t%.1f", c);
        std::fprintf(to, "\n");
    }
    if (rises) return 0;
    std::printf("# Made by bench_narrowband_fit from %d clips; upper edge %.0f Hz.\n", clips, upper_hz);
    for (const auto& [warp, fit] : fits) {
        std::printf("# %ld frames\nwarp %g %d %d\n", fit.frames, warp, fit.filters, fit.first);
        for (int k = fit.first; k < fit.filters; ++k) {
            const std::vector<double> w = fit.solve(k);
            for (size_t i = 0; i < w.size(); ++i) std::printf(i ? " %.5g" : "%.5g", w[i]);
            std::printf("\n");
        }
    }
    return 0;
}
