#pragma once
// One utterance ready to play: its audio and, on the same clock, when each word
// starts and which mouth shape to show.

#include "agent/acs/character_data.h"
#include "agent/acs/wav_audio.h"

#include <QList>
#include <QString>

namespace pw::voice {

struct WordCue {
    int start_ms = 0;
    int text_position = 0;  // index into the spoken text (QString units)
    int text_length = 0;    // the whole word in that text
};

struct MouthCue {
    int start_ms = 0;
    acs::Mouth shape = acs::Mouth::Closed;  // lasts until the next cue
};

struct SpeechClip {
    QString text;
    acs::PcmAudio audio;     // may be empty when synthesis is impossible; durations still hold
    int duration_ms = 0;
    QList<WordCue> words;    // in time order
    QList<MouthCue> mouth;   // in time order; ends with Closed

    // Characters of `text` to show at time t (every word that has started, whole).
    int revealed_chars(int t_ms) const;
    acs::Mouth mouth_at(int t_ms) const;
    // The first moment after t_ms at which either of them may change; -1 after the end.
    int next_change_ms(int t_ms) const;
};

// espeak-ng settings for one character.
struct VoiceSettings {
    QString voice = QStringLiteral("en-us");  // espeak-ng voice name, e.g. "en-us+m3"
    int rate = 160;                           // words per minute
    int pitch = 50;                           // 0..100

    // From the character file's voice information (our characters store the voice
    // name in its style field); sensible defaults for other files.
    static VoiceSettings from_character(const acs::CharacterData& data);
};

}  // namespace pw::voice
