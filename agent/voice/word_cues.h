#pragma once
// Turning the synthesizer's word events into balloon cues. Its positions count code
// points from 1 and often point into the middle of a word ("don't" arrives as "don",
// "3.5" as three events), so each event is widened to the whole whitespace-separated
// token of our own text, and repeats for one token are merged.

#include "agent/voice/speech_clip.h"

#include <QList>
#include <QString>

namespace pw::voice {

struct RawWordEvent {
    int start_ms = 0;
    int code_point_position = 0;  // 1-based, counting Unicode code points
    int length = 0;               // in code points; 0 for the clause-end marker
};

// QString index of the 1-based code point position; the text's size when past the end.
int qstring_index_of_code_point(const QString& text, int code_point_position);

// One cue per spoken token, in text order; events that step back to an earlier token
// or carry no length are dropped; times never go backwards.
QList<WordCue> word_cues_from_events(const QString& text, const QList<RawWordEvent>& events);

}  // namespace pw::voice
