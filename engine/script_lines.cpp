#include "engine/script_lines.h"

namespace pw::engine::script {

ScriptLine read_line(const QString& text, const QString& character_before)
{
    ScriptLine line;
    if (!text.startsWith(QLatin1Char(';'))) line.text = text;
    const LinePieces pieces = split_prefix(line.text);
    line.has_prefix = pieces.has_prefix;
    line.prefix = pieces.prefix;
    line.character = pieces.has_prefix ? pieces.prefix : character_before;
    line.statement_column = int(line.text.size() - pieces.statement.size());
    line.written_statement = pieces.statement;
    line.statement = statement_text(pieces.statement);
    const Statement cut = cut_statement(pieces.statement);
    line.keyword_word = cut.keyword;
    line.keyword = find_keyword(cut.keyword);
    line.arguments = cut.arguments;
    line.written_arguments = cut.written_arguments;
    line.label_line = line.text.contains(QLatin1String("label")) && !line.text.contains(QLatin1String("goto"));
    return line;
}

QList<ScriptLine> read_lines(const QStringList& lines)
{
    QList<ScriptLine> read;
    read.reserve(lines.size());
    QString character;
    for (const QString& text : lines) {
        read << read_line(text, character);
        character = read.last().character;
    }
    return read;
}

}  // namespace pw::engine::script
