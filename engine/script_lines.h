#pragma once
// A script read once into its lines: each line's character, keyword and arguments and
// where its statement stands. The runner, the faults and the Script window take these
// parts instead of cutting the text again.

#include "engine/script_text.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pw::engine::script {

struct ScriptLine {
    QString text;               // as written; a comment line (";" first) is empty
    bool has_prefix = false;
    QString prefix;             // the character id before ">", as written
    QString character;          // the prefix, or the one of the lines before
    int statement_column = 0;   // where the statement after the prefix starts in the text
    QString written_statement;  // from there to the end, as written
    QString statement;          // the same, leading blanks removed and a blank at the
                                // end when none is left (statement_text)
    QString keyword_word;       // lower case
    Keyword keyword = Keyword::empty;
    QString arguments;          // lower case, blanks trimmed
    QString written_arguments;  // as written
    // A jump target: "label" written anywhere and "goto" nowhere in the line. Its number
    // is read from the sixth character of the text on (a prefix makes it label 0).
    bool label_line = false;
    bool operator==(const ScriptLine&) const = default;
};

// One line, given the character of the lines before it.
ScriptLine read_line(const QString& text, const QString& character_before = QString());
// Every line; comment lines are read as empty ones, so positions stay.
QList<ScriptLine> read_lines(const QStringList& lines);

}  // namespace pw::engine::script
