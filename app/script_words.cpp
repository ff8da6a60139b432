#include "app/script_words.h"

#include "engine/run_state.h"
#include "engine/script_text.h"

#include <algorithm>
#include <vector>

namespace pw::app {

const ScriptVocabulary::Character* ScriptVocabulary::find(const QString& id) const
{
    for (const Character& c : characters)
        if (c.id.compare(id, Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
}

ScriptVocabulary vocabulary_of(const pw::engine::RunState& state)
{
    ScriptVocabulary v;
    const int n = qMin<int>(state.char_count, state.slot_count());
    for (int slot = 0; slot < n; ++slot) {
        if (state.characters[slot].id.isEmpty()) continue;
        ScriptVocabulary::Character c;
        c.id = state.characters[slot].id;
        if (state.characters[slot].loaded && state.characters[slot].agent) {
            try {
                for (const QString& name : state.characters[slot].agent->animation_names()) c.animations << name.toLower();
                c.animations_known = true;
            } catch (const std::exception&) {
            }
        }
        v.characters << c;
    }
    return v;
}

const QStringList& statement_words()
{
    static const QStringList words = [] {
        QStringList w;
        for (const auto& k : pw::engine::script::keyword_table()) {
            const QString word = QLatin1String(k.word);
            if (!word.isEmpty() && word != QLatin1String(";")) w << word;
        }
        return w;
    }();
    return words;
}

const QStringList& speed_words()
{
    static const QStringList words{"fastest", "faster", "fast", "slowest", "slower", "slow", "medium"};
    return words;
}

const QStringList& wait_words()
{
    static const QStringList words{"key",     "listen",  "collide",  "collision", "getoff", "time",
                                   "anykey",  "anybody", "anyword",  "anywords",  "quiet",  "then"};
    return words;
}

int word_distance(const QString& a_in, const QString& b_in)
{
    const QString a = a_in.toLower();
    const QString b = b_in.toLower();
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const int change = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, change});
            diagonal = above;
        }
    }
    return row.back();
}

QString nearest_word(const QString& word, const QStringList& candidates)
{
    const int allowed = word.size() <= 4 ? 1 : 2;
    QString best;
    int best_distance = allowed + 1;
    for (const QString& c : candidates) {
        const int d = word_distance(word, c);
        if (d < best_distance) {
            best = c;
            best_distance = d;
        }
    }
    return best;
}

QStringList completion_words(const ScriptVocabulary& vocabulary, const QString& character_id)
{
    QStringList words = statement_words();
    if (const ScriptVocabulary::Character* c = vocabulary.find(character_id)) {
        // "show" and "hide" are statements already; moving is done by moveto.
        for (const QString& name : c->animations)
            if (name != QLatin1String("move") && !words.contains(name)) words << name;
    }
    return words;
}

}  // namespace pw::app
