#include "agent/voice/word_cues.h"

#include <algorithm>
#include <optional>

namespace pw::voice {

int qstring_index_of_code_point(const QString& text, int code_point_position)
{
    int index = 0;
    for (int cp = 1; cp < code_point_position && index < text.size(); ++cp) {
        const bool pair = text[index].isHighSurrogate() && index + 1 < text.size()
                          && text[index + 1].isLowSurrogate();
        index += pair ? 2 : 1;
    }
    return std::min(index, int(text.size()));
}

namespace {

struct Token {
    int begin = 0;
    int end = 0;  // one past the last character
};

// The token that holds `index`; on whitespace, the next token (else the previous one).
std::optional<Token> token_at(const QString& text, int index)
{
    const int n = int(text.size());
    if (n == 0) return std::nullopt;
    index = std::clamp(index, 0, n - 1);
    if (text[index].isSpace()) {
        int next = index;
        while (next < n && text[next].isSpace()) ++next;
        if (next < n) {
            index = next;
        } else {
            int prev = index;
            while (prev >= 0 && text[prev].isSpace()) --prev;
            if (prev < 0) return std::nullopt;
            index = prev;
        }
    }
    Token t{index, index + 1};
    while (t.begin > 0 && !text[t.begin - 1].isSpace()) --t.begin;
    while (t.end < n && !text[t.end].isSpace()) ++t.end;
    return t;
}

}  // namespace

QList<WordCue> word_cues_from_events(const QString& text, const QList<RawWordEvent>& events)
{
    QList<WordCue> cues;
    int last_begin = -1;
    for (const RawWordEvent& e : events) {
        if (e.length <= 0 || e.code_point_position <= 0) continue;
        const std::optional<Token> token = token_at(text, qstring_index_of_code_point(text, e.code_point_position));
        if (!token || token->begin <= last_begin) continue;
        const int start = cues.isEmpty() ? std::max(0, e.start_ms) : std::max(cues.last().start_ms, e.start_ms);
        cues.append(WordCue{start, token->begin, token->end - token->begin});
        last_begin = token->begin;
    }
    return cues;
}

}  // namespace pw::voice
