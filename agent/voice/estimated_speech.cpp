#include "agent/voice/estimated_speech.h"

#include <algorithm>

namespace pw::voice {

namespace {

bool has_letter_or_digit(QStringView token)
{
    return std::any_of(token.begin(), token.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

}  // namespace

SpeechClip estimated_clip(const QString& text, const VoiceSettings& voice)
{
    SpeechClip clip;
    clip.text = text;
    const int word_ms = 60000 / std::clamp(voice.rate, 80, 450);

    int t = 0;
    const int n = int(text.size());
    for (int i = 0; i < n;) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        int end = i;
        while (end < n && !text[end].isSpace()) ++end;
        if (has_letter_or_digit(QStringView(text).mid(i, end - i))) {
            clip.words.append(WordCue{t, i, end - i});
            clip.mouth.append(MouthCue{t, acs::Mouth::WideOpen2});
            clip.mouth.append(MouthCue{t + word_ms * 3 / 4, acs::Mouth::Closed});
            t += word_ms;
        }
        i = end;
    }
    clip.duration_ms = t;
    if (clip.mouth.isEmpty()) clip.mouth.append(MouthCue{0, acs::Mouth::Closed});
    return clip;
}

}  // namespace pw::voice
