#include "agent/voice/pcm_convert.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace pw::voice {

namespace {

std::vector<float> mixed_down(const acs::PcmAudio& audio)
{
    const qint64 frames = audio.frame_count();
    const int channels = std::max(1, audio.channels);
    const auto* data = reinterpret_cast<const uchar*>(audio.samples.constData());
    std::vector<float> mono(size_t(frames), 0.0f);
    for (qint64 f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += qFromLittleEndian<qint16>(data + 2 * (f * channels + c));
        mono[size_t(f)] = sum / float(channels);
    }
    return mono;
}

}  // namespace

acs::PcmAudio to_mono(const acs::PcmAudio& audio, int sample_rate)
{
    acs::PcmAudio out;
    out.sample_rate = sample_rate;
    out.channels = 1;
    if (audio.sample_rate <= 0 || audio.channels <= 0 || sample_rate <= 0) return out;

    const std::vector<float> mono = mixed_down(audio);
    if (mono.empty()) return out;
    const qint64 out_frames = qint64(mono.size()) * sample_rate / audio.sample_rate;
    out.samples.resize(out_frames * 2);
    auto* dest = reinterpret_cast<uchar*>(out.samples.data());
    const double step = double(audio.sample_rate) / sample_rate;
    for (qint64 i = 0; i < out_frames; ++i) {
        const double pos = double(i) * step;
        const size_t a = std::min(size_t(pos), mono.size() - 1);
        const size_t b = std::min(a + 1, mono.size() - 1);
        const double frac = pos - double(a);
        const double v = mono[a] + (mono[b] - mono[a]) * frac;
        qToLittleEndian<qint16>(qint16(std::clamp(std::lround(v), -32768L, 32767L)), dest + 2 * i);
    }
    return out;
}

}  // namespace pw::voice
