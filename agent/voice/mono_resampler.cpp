#include "agent/voice/mono_resampler.h"

#include <QtEndian>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace pw::voice {

namespace {

template <typename T>
float sample_at(const char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return float(v);
}

float read_sample(const char* p, QAudioFormat::SampleFormat f)
{
    switch (f) {
    case QAudioFormat::UInt8: return (float(static_cast<unsigned char>(*p)) - 128.0f) * 256.0f;
    case QAudioFormat::Int16: return sample_at<qint16>(p);
    case QAudioFormat::Int32: return sample_at<qint32>(p) / 65536.0f;
    case QAudioFormat::Float: return sample_at<float>(p) * 32767.0f;
    default: return 0;
    }
}

qint16 clamp16(double v)
{
    return qint16(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

std::vector<float> mixed_to_mono(const QByteArray& bytes, const QAudioFormat& format)
{
    const int channels = format.channelCount();
    const int width = format.bytesPerSample();
    if (channels <= 0 || width <= 0 || format.sampleFormat() == QAudioFormat::Unknown) return {};
    const qsizetype frames = bytes.size() / (qsizetype(width) * channels);
    std::vector<float> mono(size_t(frames), 0.0f);
    const char* p = bytes.constData();
    for (qsizetype f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c, p += width) sum += read_sample(p, format.sampleFormat());
        mono[size_t(f)] = sum / float(channels);
    }
    return mono;
}

// The low-pass, in samples of the lower of the two rates: its edge (half power) sits
// at 0.92 of that rate's band, its Kaiser window reaches `reach` samples either side.
// Flat to about 6.7 kHz at 16 kHz, where the speech model's filters end, and down by
// about 80 dB from the band's edge on.
struct ResamplingFilter {
    static constexpr double cutoff = 0.46;  // cycles per sample of the lower rate
    static constexpr double reach = 32;
    static constexpr double beta = 8.0;
    // Rates whose ratio needs more phases than this (16000 to 16159) round each output
    // sample's place to the nearest of these many; the error stays near 60 dB down.
    static constexpr qint64 most_phases = 512;

    qint64 input_step = 1;   // output sample n lies at input sample n * input_step / output_step
    qint64 output_step = 1;
    qint64 phases = 1;
    int half = 1;            // taps on either side of the output sample's place
    std::vector<float> taps; // phases rows of 2 * half, each summing to 1

    ResamplingFilter(int input_rate, int output_rate);
    int width() const { return 2 * half; }
};

namespace {

double bessel_i0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 50 && term > sum * 1e-12; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

}  // namespace

ResamplingFilter::ResamplingFilter(int input_rate, int output_rate)
{
    const qint64 g = std::gcd(qint64(input_rate), qint64(output_rate));
    input_step = input_rate / g;
    output_step = output_rate / g;
    phases = std::min(output_step, most_phases);
    // Going down, the filter's reach is counted in output samples, so it spans more input.
    const double scale = std::min(1.0, double(output_rate) / input_rate);
    half = int(std::ceil(reach / scale));
    half += half % 2;  // rows of a multiple of four taps, for the sums below
    taps.resize(size_t(phases * width()));
    const double window_norm = bessel_i0(beta);
    for (qint64 p = 0; p < phases; ++p) {
        float* row = taps.data() + p * width();
        double total = 0;
        for (int k = 0; k < width(); ++k) {
            // Distance from the output sample's place to this tap, in lower-rate samples.
            const double u = (double(p) / double(phases) + half - 1 - k) * scale;
            const double x = 2 * cutoff * u;
            const double sinc = x == 0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
            const double r = u / reach;
            const double window = r * r >= 1 ? 0.0 : bessel_i0(beta * std::sqrt(1 - r * r)) / window_norm;
            row[k] = float(sinc * window);
            total += row[k];
        }
        for (int k = 0; k < width(); ++k) row[k] = float(row[k] / total);
    }
}

MonoResampler::MonoResampler(int input_rate, int output_rate)
{
    if (input_rate > 0 && output_rate > 0 && input_rate != output_rate) {
        filter_ = std::make_shared<const ResamplingFilter>(input_rate, output_rate);
        // What lies before the first input sample is quiet.
        kept_from_ = 1 - filter_->half;
        kept_.assign(size_t(filter_->half - 1), 0.0f);
    }
}

void MonoResampler::push(const std::vector<float>& input, QByteArray& output)
{
    pushed_ += qint64(input.size());
    if (!filter_) {
        const qsizetype at = output.size();
        output.resize(at + qsizetype(input.size()) * 2);
        auto* out = reinterpret_cast<qint16*>(output.data() + at);
        for (size_t i = 0; i < input.size(); ++i) out[i] = clamp16(input[i]);
        produced_ += qint64(input.size());
        return;
    }
    kept_.insert(kept_.end(), input.begin(), input.end());
    convert(output);
}

void MonoResampler::finish(QByteArray& output)
{
    if (!filter_ || limit_ >= 0) return;
    const ResamplingFilter& f = *filter_;
    // Every output sample whose place lies before the end of the input.
    limit_ = (pushed_ * f.output_step + f.input_step - 1) / f.input_step;
    kept_.insert(kept_.end(), size_t(f.half + 1), 0.0f);
    convert(output);
}

void MonoResampler::convert(QByteArray& output)
{
    const ResamplingFilter& f = *filter_;
    const qint64 available = kept_from_ + qint64(kept_.size());
    for (; limit_ < 0 || produced_ < limit_; ++produced_) {
        qint64 whole = whole_;
        qint64 phase = fraction_;
        if (f.phases != f.output_step) {
            phase = (fraction_ * f.phases + f.output_step / 2) / f.output_step;
            if (phase == f.phases) {
                phase = 0;
                ++whole;
            }
        }
        if (whole + f.half >= available) break;
        const float* x = kept_.data() + (whole - f.half + 1 - kept_from_);
        const float* h = f.taps.data() + phase * f.width();
        float a0 = 0, a1 = 0, a2 = 0, a3 = 0;
        for (int k = 0; k < f.width(); k += 4) {
            a0 += x[k] * h[k];
            a1 += x[k + 1] * h[k + 1];
            a2 += x[k + 2] * h[k + 2];
            a3 += x[k + 3] * h[k + 3];
        }
        const qint16 s = clamp16((a0 + a1) + (a2 + a3));
        output.append(reinterpret_cast<const char*>(&s), sizeof s);
        fraction_ += f.input_step;
        whole_ += fraction_ / f.output_step;
        fraction_ %= f.output_step;
    }
    // Keep what the next output sample's taps still reach.
    const qint64 drop = std::min(whole_ - f.half + 1 - kept_from_, qint64(kept_.size()));
    if (drop > 0) {
        kept_.erase(kept_.begin(), kept_.begin() + drop);
        kept_from_ += drop;
    }
}

QByteArray to_recogniser_audio(const acs::PcmAudio& audio)
{
    if (audio.sample_rate <= 0 || audio.channels <= 0) return {};
    QAudioFormat format;
    format.setSampleRate(audio.sample_rate);
    format.setChannelCount(audio.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    QByteArray native = audio.samples;  // PcmAudio is little-endian
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        for (qsizetype i = 0; i + 1 < native.size(); i += 2) std::swap(native[i], native[i + 1]);
    }
    QByteArray out;
    MonoResampler resampler(audio.sample_rate);
    resampler.push(mixed_to_mono(native, format), out);
    resampler.finish(out);
    return out;
}

}  // namespace pw::voice
