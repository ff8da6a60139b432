#pragma once
// A table on file, a question a line: `verb "a" "b" => answer`. The test says what the
// code answers to each question, and the answers must read as the file's (with
// PW_UPDATE_TRANSCRIPTS=1 they are written there instead, for a person to read before
// committing). Comment lines (#) and empty ones stay as they are.

#include "tests/transcript_file.h"

#include <functional>

namespace pw::test {

// The quoted arguments of a line, as bytes, with \r, \n, \t, \", \\ and \xNN.
inline QList<QByteArray> quoted_arguments(const QString& line)
{
    const QByteArray in = line.toUtf8();
    QList<QByteArray> out;
    for (qsizetype i = in.indexOf('"'); i >= 0 && i < in.size(); i = in.indexOf('"', i + 1)) {
        QByteArray arg;
        for (++i; i < in.size() && in[i] != '"'; ++i) {
            if (in[i] != '\\' || i + 1 >= in.size()) {
                arg += in[i];
            } else if (in[++i] == 'x') {
                arg += char(in.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                arg += in[i] == 'r' ? '\r' : in[i] == 'n' ? '\n' : in[i] == 't' ? '\t' : in[i];
            }
        }
        out << arg;
    }
    return out;
}

// Bytes as a quoted argument: printable ASCII as it is, the rest escaped.
inline QString quoted_bytes(const QByteArray& bytes)
{
    QString out = QStringLiteral("\"");
    for (const char c : bytes) {
        const auto u = uchar(c);
        if (c == '"' || c == '\\') out += QStringLiteral("\\") + QLatin1Char(c);
        else if (c == '\r') out += QStringLiteral("\\r");
        else if (c == '\n') out += QStringLiteral("\\n");
        else if (c == '\t') out += QStringLiteral("\\t");
        else if (u >= 0x20 && u < 0x7f) out += QLatin1Char(c);
        else out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out + QLatin1Char('"');
}
inline QString quoted(const QString& text) { return quoted_bytes(text.toUtf8()); }
inline QString quoted(const QStringList& texts)
{
    QStringList out;
    for (const QString& t : texts) out << quoted(t);
    return out.join(QLatin1Char(' '));
}

// The verb (the words before the first quote) and the arguments of a question.
using Answer = std::function<QString(const QString& verb, const QStringList& args)>;

inline QString table_mismatch(const QString& path, const Answer& answer)
{
    QStringList actual;
    for (const QString& line : read_text(path).split(QLatin1Char('\n'))) {
        const QString question = line.section(QStringLiteral(" => "), 0, 0);
        if (question.trimmed().isEmpty() || question.startsWith(QLatin1Char('#'))) {
            actual << line;
            continue;
        }
        QStringList args;
        for (const QByteArray& a : quoted_arguments(question)) args << QString::fromUtf8(a);
        actual << question + QStringLiteral(" => ") + answer(question.section(QLatin1Char('"'), 0, 0).trimmed(), args);
    }
    while (!actual.isEmpty() && actual.last().isEmpty()) actual.removeLast();
    return transcript_mismatch(path, actual);
}

}  // namespace pw::test
