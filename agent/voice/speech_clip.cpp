#include "agent/voice/speech_clip.h"

namespace pw::voice {

int SpeechClip::revealed_chars(int t_ms) const
{
    int shown = 0;
    for (const WordCue& w : words) {
        if (w.start_ms > t_ms) break;
        shown = std::max(shown, w.text_position + w.text_length);
    }
    if (t_ms >= duration_ms) shown = int(text.size());
    return std::min(shown, int(text.size()));
}

acs::Mouth SpeechClip::mouth_at(int t_ms) const
{
    acs::Mouth shape = acs::Mouth::Closed;
    for (const MouthCue& m : mouth) {
        if (m.start_ms > t_ms) break;
        shape = m.shape;
    }
    return t_ms >= duration_ms ? acs::Mouth::Closed : shape;
}

int SpeechClip::next_change_ms(int t_ms) const
{
    if (t_ms >= duration_ms) return -1;
    int next = duration_ms;
    for (const WordCue& w : words)
        if (w.start_ms > t_ms) {
            next = std::min(next, w.start_ms);
            break;
        }
    for (const MouthCue& m : mouth)
        if (m.start_ms > t_ms) {
            next = std::min(next, m.start_ms);
            break;
        }
    return next;
}

VoiceSettings VoiceSettings::from_character(const acs::CharacterData& data)
{
    VoiceSettings v;
    if (!data.voice) return v;
    const acs::VoiceInfo& info = *data.voice;
    // Our own characters name an espeak-ng voice in the style field; other files
    // carry SAPI 4 names there, which we map by gender.
    if (info.style.startsWith(QStringLiteral("en")) && !info.style.contains(QLatin1Char(' ')))
        v.voice = info.style;
    else if (info.gender == 1)
        v.voice = QStringLiteral("en-us+f3");
    else if (info.gender == 2)
        v.voice = QStringLiteral("en-us+m3");
    if (info.speed != 0xFFFFFFFF && info.speed >= 80 && info.speed <= 450) v.rate = int(info.speed);
    if (info.pitch != 0xFFFF && info.pitch <= 100) v.pitch = info.pitch;
    return v;
}

}  // namespace pw::voice
