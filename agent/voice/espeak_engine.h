#pragma once
// The process's one espeak-ng engine. The library keeps its engine, callback and
// settings in process-wide state and is not thread-safe, so every call into it goes
// through here, under one lock; the synthesizer calls it from its worker thread only.

#include "agent/voice/speech_clip.h"

#include <QStringList>

#include <atomic>
#include <optional>

namespace pw::voice::espeak {

// Initialises espeak-ng on first use (synchronous mode, audio into memory). False when
// its data cannot be loaded; the answer does not change afterwards.
bool initialise();

// Speech with word and mouth cues, or nullopt when espeak-ng is unavailable, fails, or
// `abort` became true while it ran. A voice name espeak-ng does not know is tried as a
// language ("en-gb"), then replaced by "en-us".
std::optional<SpeechClip> synthesize(const QString& text, const VoiceSettings& voice,
                                     const std::atomic<bool>* abort = nullptr);

// How `voice` pronounces `text`: espeak-ng's phoneme names with '_' between phonemes
// and a space between words, stress marks included. nullopt when espeak-ng or the
// voice is unavailable. Used for words the recogniser's dictionary lacks.
std::optional<QByteArray> phonemes_of(const QString& text, const QString& voice = QStringLiteral("en-us"));

// For the system information: espeak-ng's version and the names of its voices; both
// empty when espeak-ng is unavailable.
QString engine_version();
QStringList voice_names();

}  // namespace pw::voice::espeak
