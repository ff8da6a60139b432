#pragma once
// Reads a script the way the runner will, before it runs: what each piece of a line is
// (for the colours) and what will go wrong (for the spelling hints). It never changes
// what the runner does; a run reports its errors exactly as before.

#include "app/script_words.h"
#include "engine/script_text.h"

#include <QHash>

#include <QList>
#include <QString>
#include <QStringList>

namespace pw::app {

enum class WordKind {
    prefix,          // "pellwick>" of an installed character
    unknown_prefix,  // a prefix naming no installed character
    keyword,         // a statement word
    animation,       // an animation of the line's character
    unknown,         // a word in the keyword place the character does not know
    number,
    comment,
    speed,           // fast, slow, ... in moveto
    wait,            // key=, anykey, quiet, ... in conditions and waits
};

struct WordSpan {
    int start = 0;
    int length = 0;
    WordKind kind = WordKind::keyword;
    bool operator==(const WordSpan&) const = default;
};

struct Hint {
    int start = 0;
    int length = 0;
    QString text;  // in a child's words
    bool operator==(const Hint&) const = default;
};

struct CheckedLine {
    QString character;  // the line's character: its prefix, or the one of the lines before
    pw::engine::script::Keyword keyword = pw::engine::script::Keyword::empty;  // animation: none
    QList<WordSpan> spans;
    QList<Hint> hints;
    bool operator==(const CheckedLine&) const = default;
};

// One line, given the character of the lines before it.
CheckedLine check_line(const QString& line, const QString& character_before, const ScriptVocabulary& vocabulary);
// Lines already read, by their character and text, for the next check of the script.
using CheckedLines = QHash<QString, CheckedLine>;
// Every line, with the hints that need the whole script: a goto to a label that no line
// has, a loop without a do before it, an if without an endif after it, and what keeps
// the script from playing at all (engine/script_faults.h). With a cache, only lines not
// read before are read (the cache must be emptied when the vocabulary changes).
QList<CheckedLine> check_script(const QStringList& lines, const ScriptVocabulary& vocabulary,
                                CheckedLines* cache = nullptr);

}  // namespace pw::app
