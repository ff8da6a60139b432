#pragma once
// Speaking with a recorded wave instead of synthesis: the mouth follows the loudness.

#include "agent/voice/speech_clip.h"

namespace pw::voice {

// Mouth cues from loudness (about 40 ms windows, relative to the loudest window), no
// words; the duration is the audio's own. The clip keeps the audio and has no text.
SpeechClip clip_from_wave(const acs::PcmAudio& audio);

}  // namespace pw::voice
