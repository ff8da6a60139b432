#pragma once
// The words a script may use: the statements, and for each installed character its id
// and animations. The editor's colours, spelling hints and completion all look here.

#include <QList>
#include <QString>
#include <QStringList>

namespace pw::engine {
class RunState;
}

namespace pw::app {

struct ScriptVocabulary {
    struct Character {
        QString id;             // as installed ("Pellwick")
        QStringList animations; // lower case
        bool animations_known = false;  // false until the character is loaded
    };
    QList<Character> characters;

    // The character with this id, case ignored; nullptr when none is installed.
    const Character* find(const QString& id) const;
};

// What the program has installed and loaded right now.
ScriptVocabulary vocabulary_of(const pw::engine::RunState& state);

// The statement words in the order of the keyword table (no comment, no empty word).
const QStringList& statement_words();
// The speed words of moveto, and the words of conditions and waits.
const QStringList& speed_words();
const QStringList& wait_words();

// Edit distance, case ignored.
int word_distance(const QString& a, const QString& b);
// The candidate closest to `word` when it is close enough to be a slip of the keys
// (one change in short words, two in longer ones); empty otherwise. Ties go to the
// earlier candidate.
QString nearest_word(const QString& word, const QStringList& candidates);

// What completion offers after "<id>> ": the statements, then the character's
// animations (without those it plays by itself), each once, in lower case.
QStringList completion_words(const ScriptVocabulary& vocabulary, const QString& character_id);

}  // namespace pw::app
