#include "agent/voice/mono_resampler.h"

#include <QtEndian>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <vector>

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

// Going up in rate, each output sample is made from this many input samples on either
// side, by a Blackman-windowed sinc cut a little below the input's own band edge: a
// straight line between neighbours leaves mirror images of the speech above that edge
// (from an 8 kHz headset, its 0 to 4 kHz again at 4 to 8 kHz, 9 dB down at 5 kHz), where
// the recogniser would take them for hisses, and a narrowband microphone would not be
// told by its empty upper band.
constexpr int interpolation_taps = 16;
constexpr double interpolation_cutoff = 0.9;  // of the input's half rate

// The filter from 0 to `interpolation_taps`, in steps of 1/steps_per_sample, read
// between steps on a straight line: sines and cosines for every tap of every sample
// would cost a listening microphone a few % of a core.
constexpr int steps_per_sample = 512;

double interpolation_filter(double x)
{
    static const std::vector<float> table = [] {
        std::vector<float> t(size_t(interpolation_taps * steps_per_sample + 2), 0.0f);
        for (size_t i = 0; i + 1 < t.size(); ++i) {
            const double at = double(i) / steps_per_sample;
            const double w = M_PI * (at / interpolation_taps + 1);  // Blackman, centred on 0
            const double window = 0.42 - 0.5 * std::cos(w) + 0.08 * std::cos(2 * w);
            const double arg = M_PI * interpolation_cutoff * at;
            t[i] = float(interpolation_cutoff * window * (i == 0 ? 1.0 : std::sin(arg) / arg));
        }
        return t;
    }();
    const double at = std::abs(x) * steps_per_sample;
    if (at >= double(interpolation_taps * steps_per_sample)) return 0;
    const size_t i = size_t(at);
    const double frac = at - double(i);
    return table[i] + (table[i + 1] - table[i]) * frac;
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

MonoResampler::MonoResampler(int input_rate, int output_rate, Upsampling upsampling)
    : step_(input_rate > 0 && output_rate > 0 ? double(input_rate) / output_rate : 1.0),
      band_limited_(upsampling == Upsampling::BandLimited)
{
}

void MonoResampler::push(const std::vector<float>& input, QByteArray& output)
{
    kept_.insert(kept_.end(), input.begin(), input.end());
    const qint64 available = dropped_ + qint64(kept_.size());
    // Going down in rate, each output sample is the mean of the input samples around it
    // (a box filter against aliasing); going up, a windowed sinc or a straight line.
    const bool sinc = step_ < 1.0 && band_limited_;
    const double half = step_ > 1.0 ? step_ / 2.0 : sinc ? double(interpolation_taps) : 0.0;
    for (;;) {
        const qint64 last_needed = step_ > 1.0 ? qint64(std::floor(position_ + half))
                                   : qint64(position_) + (sinc ? interpolation_taps : 1);
        if (last_needed >= available) break;
        double value = 0;
        if (step_ > 1.0) {
            const qint64 first = std::max<qint64>(dropped_, qint64(std::ceil(position_ - half)));
            double sum = 0;
            for (qint64 i = first; i <= last_needed; ++i) sum += kept_[size_t(i - dropped_)];
            value = sum / double(last_needed - first + 1);
        } else if (sinc) {
            // Before the first input sample the signal counts as silence.
            const qint64 a = qint64(position_);
            for (qint64 i = std::max<qint64>(dropped_, a - interpolation_taps + 1); i <= last_needed; ++i)
                value += kept_[size_t(i - dropped_)] * interpolation_filter(position_ - double(i));
        } else {
            const qint64 a = qint64(position_);
            const double frac = position_ - double(a);
            const float va = kept_[size_t(a - dropped_)];
            const float vb = kept_[size_t(a + 1 - dropped_)];
            value = va + (vb - va) * frac;
        }
        const qint16 s = clamp16(value);
        output.append(reinterpret_cast<const char*>(&s), sizeof s);
        position_ += step_;
    }
    // Keep what the next output samples still look at.
    const qint64 keep_from = std::max<qint64>(dropped_, qint64(std::floor(position_ - half)) - 1);
    const qint64 drop = std::min<qint64>(keep_from - dropped_, qint64(kept_.size()));
    if (drop > 0) {
        kept_.erase(kept_.begin(), kept_.begin() + drop);
        dropped_ += drop;
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
    std::vector<float> mono = mixed_to_mono(native, format);
    const size_t length = mono.size();
    if (audio.sample_rate < 16000) {
        // Going up, the last samples wait for those after them: silence, cut off again.
        mono.resize(length + interpolation_taps + 1, 0.0f);
        resampler.push(mono, out);
        out.truncate(2 * qsizetype(std::ceil(double(length) * 16000 / audio.sample_rate)));
    } else {
        resampler.push(mono, out);
    }
    return out;
}

}  // namespace pw::voice
