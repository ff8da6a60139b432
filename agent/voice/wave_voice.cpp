#include "agent/voice/wave_voice.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <vector>

namespace pw::voice {

namespace {

constexpr int window_ms = 40;
// Below this RMS (about -50 dBFS) a window is silence, however quiet the whole clip is.
constexpr double silence_rms = 100.0;

acs::Mouth shape_for_loudness(double rms, double peak)
{
    if (rms < silence_rms) return acs::Mouth::Closed;
    const double r = rms / peak;
    if (r < 0.12) return acs::Mouth::Closed;
    if (r < 0.30) return acs::Mouth::Narrow;
    if (r < 0.55) return acs::Mouth::Medium;
    if (r < 0.80) return acs::Mouth::WideOpen2;
    return acs::Mouth::WideOpen4;
}

}  // namespace

SpeechClip clip_from_wave(const acs::PcmAudio& audio)
{
    SpeechClip clip;
    clip.audio = audio;
    clip.duration_ms = int(audio.duration_ms());

    const qint64 frames = audio.frame_count();
    const int channels = std::max(1, audio.channels);
    const qint64 window = audio.sample_rate > 0 ? std::max<qint64>(1, qint64(audio.sample_rate) * window_ms / 1000) : 0;
    std::vector<double> rms;
    if (window > 0) {
        const auto* data = reinterpret_cast<const uchar*>(audio.samples.constData());
        for (qint64 start = 0; start < frames; start += window) {
            const qint64 end = std::min(frames, start + window);
            double sum = 0;
            for (qint64 i = start * channels; i < end * channels; ++i) {
                const double s = qFromLittleEndian<qint16>(data + 2 * i);
                sum += s * s;
            }
            rms.push_back(std::sqrt(sum / double((end - start) * channels)));
        }
    }

    const double peak = rms.empty() ? 0.0 : *std::max_element(rms.begin(), rms.end());
    for (size_t i = 0; i < rms.size(); ++i) {
        const acs::Mouth shape = shape_for_loudness(rms[i], peak);
        if (!clip.mouth.isEmpty() && clip.mouth.last().shape == shape) continue;
        const int t = int(qint64(i) * window * 1000 / audio.sample_rate);
        clip.mouth.append(MouthCue{t, shape});
    }
    if (clip.mouth.isEmpty() || clip.mouth.last().shape != acs::Mouth::Closed)
        clip.mouth.append(MouthCue{clip.duration_ms, acs::Mouth::Closed});
    return clip;
}

}  // namespace pw::voice
