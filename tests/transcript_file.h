#pragma once
// What the case drivers share: a case file's text and the words of its lines, and a run's
// transcript checked against the one on file or, with PW_UPDATE_TRANSCRIPTS=1, written
// over it for a person to read before it is committed.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace pw::test {

inline QString read_text(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The words of a case's line, with "quoted text" as one word (\" inside it).
inline QStringList words_of(const QString& line)
{
    static const QRegularExpression word(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\"|(\\S+)"));
    QStringList out;
    for (auto it = word.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.append(m.hasCaptured(1) ? m.captured(1).replace(QStringLiteral("\\\""), QStringLiteral("\"")) : m.captured(2));
    }
    return out;
}

// Empty when `actual` reads as the file at `path` does (or was written there); otherwise
// where the two part, with a few lines before it.
inline QString transcript_mismatch(const QString& path, const QStringList& actual)
{
    if (qEnvironmentVariableIntValue("PW_UPDATE_TRANSCRIPTS")) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QStringLiteral("cannot write ") + path;
        f.write((actual.join('\n') + '\n').toUtf8());
        return {};
    }
    QStringList expected = read_text(path).split('\n');
    if (!expected.isEmpty() && expected.last().isEmpty()) expected.removeLast();
    if (actual == expected) return {};
    qsizetype k = 0;
    while (k < expected.size() && k < actual.size() && expected[k] == actual[k]) ++k;
    QString out = QStringLiteral("the transcripts part at line %1:\n").arg(k + 1);
    for (qsizetype j = qMax<qsizetype>(0, k - 3); j < k; ++j) out += QStringLiteral("    ") + expected[j] + '\n';
    out += QStringLiteral("  - ") + expected.value(k, QStringLiteral("(end)")) + '\n';
    for (qsizetype j = k; j < qMin(actual.size(), k + 4); ++j) out += QStringLiteral("  + ") + actual[j] + '\n';
    return out;
}

}  // namespace pw::test
