#pragma once
// Mouth shapes from the synthesizer's phoneme events. Each phoneme class gets one of
// the character file's seven shapes:
//   Closed     lips together: p b m, and every pause ("_", "_:", clause ends)
//   Narrow     lip-bite f v, and the pucker of u: U w r
//   Medium     rounded vowels (oU O: O ...) and tongue sounds (l T D)
//   WideOpen1  teeth and other consonants with the jaw barely open (s t d n k ...)
//   WideOpen2  front and central vowels (E eI i: I @ 3 ...)
//   WideOpen3  open vowels (a V 0) and diphthongs that start from them (aI)
//   WideOpen4  the most open vowels (aa A: A@ aU)
// Names outside the table are placed by their first letter; ";" is a modifier, not
// a sound, and is ignored.

#include "agent/voice/speech_clip.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace pw::voice {

// The shape for a phoneme name; nullopt for names that make no sound of their own.
std::optional<acs::Mouth> mouth_for_phoneme(const QByteArray& name);

struct RawPhonemeEvent {
    int start_ms = 0;
    QByteArray name;  // clause ends are passed as "_" (a pause)
};

// Time-ordered cues within [0, duration_ms], without repeats of the same shape, ending
// with Closed (at duration_ms when the last phoneme left the mouth open).
QList<MouthCue> mouth_cues_from_events(const QList<RawPhonemeEvent>& events, int duration_ms);

}  // namespace pw::voice
