#pragma once
// Speech without a synthesizer: no audio, but a timeline from the reading speed, so a
// character still "speaks" with its balloon revealing word by word and a moving mouth.

#include "agent/voice/speech_clip.h"

namespace pw::voice {

// Each token with a letter or digit takes one word's time at voice.rate (words per
// minute); the mouth opens at each word and closes before the next.
SpeechClip estimated_clip(const QString& text, const VoiceSettings& voice);

}  // namespace pw::voice
