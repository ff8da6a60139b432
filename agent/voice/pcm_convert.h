#pragma once
// For output devices that refuse a clip's own format: mono 16-bit at a common rate.

#include "agent/acs/wav_audio.h"

namespace pw::voice {

// Mixes the channels down to one and resamples by linear interpolation. The duration
// stays the same to within one output sample.
acs::PcmAudio to_mono(const acs::PcmAudio& audio, int sample_rate);

}  // namespace pw::voice
