#include "agent/voice/phoneme_mouth.h"

#include <QHash>
#include <algorithm>

namespace pw::voice {

namespace {

using acs::Mouth;

const QHash<QByteArray, Mouth>& phoneme_table()
{
    static const QHash<QByteArray, Mouth> table = [] {
        QHash<QByteArray, Mouth> t;
        const auto add = [&t](std::initializer_list<const char*> names, Mouth shape) {
            for (const char* n : names) t.insert(QByteArray(n), shape);
        };
        add({"p", "b", "m"}, Mouth::Closed);
        add({"f", "v", "u:", "U", "w", "r", "r-"}, Mouth::Narrow);
        add({"oU", "O:", "O", "O@", "o@", "O2", "OI", "U@", "l", "l#", "@L", "T", "D"}, Mouth::Medium);
        add({"s", "z", "S", "Z", "tS", "dZ", "t", "t#", "t2", "d", "n", "n-", "N", "k", "g", "h",
             "x", "?", "j"},
            Mouth::WideOpen1);
        add({"E", "e@", "eI", "i", "i:", "I", "I2", "I#", "i@", "i@3", "@", "@-", "3", "3:"},
            Mouth::WideOpen2);
        add({"a", "a#", "aI", "aI@", "aI3", "V", "0"}, Mouth::WideOpen3);
        add({"aa", "A:", "A@", "aU"}, Mouth::WideOpen4);
        return t;
    }();
    return table;
}

Mouth shape_by_first_letter(char c)
{
    switch (c) {
    case 'p': case 'b': case 'm': return Mouth::Closed;
    case 'f': case 'v': case 'u': case 'U': case 'w': case 'r': return Mouth::Narrow;
    case 'o': case 'O': case 'l': case 'L': case 'T': case 'D': return Mouth::Medium;
    case 'e': case 'E': case 'i': case 'I': case '@': case '3': case 'y': case 'Y': return Mouth::WideOpen2;
    case 'a': case 'V': case '0': return Mouth::WideOpen3;
    case 'A': return Mouth::WideOpen4;
    default: return Mouth::WideOpen1;
    }
}

}  // namespace

std::optional<acs::Mouth> mouth_for_phoneme(const QByteArray& name)
{
    if (name.isEmpty() || name.startsWith('_')) return Mouth::Closed;
    if (name == ";") return std::nullopt;
    const auto found = phoneme_table().constFind(name);
    if (found != phoneme_table().constEnd()) return *found;
    return shape_by_first_letter(name[0]);
}

QList<MouthCue> mouth_cues_from_events(const QList<RawPhonemeEvent>& events, int duration_ms)
{
    duration_ms = std::max(0, duration_ms);
    QList<MouthCue> cues;
    const auto push = [&cues](int t, Mouth shape) {
        // A later event at the same moment wins; then drop what repeats the shape before.
        if (!cues.isEmpty() && cues.last().start_ms == t) cues.removeLast();
        if (!cues.isEmpty() && cues.last().shape == shape) return;
        cues.append(MouthCue{t, shape});
    };
    for (const RawPhonemeEvent& e : events) {
        const std::optional<Mouth> shape = mouth_for_phoneme(e.name);
        if (!shape) continue;
        int t = std::clamp(e.start_ms, 0, duration_ms);
        if (!cues.isEmpty()) t = std::max(t, cues.last().start_ms);
        push(t, *shape);
    }
    if (cues.isEmpty() || cues.last().shape != Mouth::Closed)
        push(cues.isEmpty() ? 0 : std::max(duration_ms, cues.last().start_ms), Mouth::Closed);
    return cues;
}

}  // namespace pw::voice
