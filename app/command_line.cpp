#include "app/command_line.h"

namespace pw::app {

namespace {

// Only blanks: a tab or a line break is part of what the user typed.
QString trim_blanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' ')) ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' ')) --end;
    return text.mid(begin, end - begin);
}

struct Span {
    qsizetype begin;
    qsizetype end;
};

// The words of the text: runs without blanks, where a blank inside double quotes
// belongs to the word.
QList<Span> words_of(const QString& text)
{
    QList<Span> words;
    bool quoted = false;
    qsizetype begin = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] == QLatin1Char('"')) quoted = !quoted;
        const bool blank = end || (!quoted && text[i] == QLatin1Char(' '));
        if (blank && begin >= 0) {
            words.append({begin, i});
            begin = -1;
        } else if (!blank && begin < 0) {
            begin = i;
        }
    }
    return words;
}

}  // namespace

CommandLine parse_command_line(const QString& arguments)
{
    static const QLatin1String keywords[] = {QLatin1String("runout"), QLatin1String("runin"),
                                             QLatin1String("load")};
    CommandLine result;
    QString text = arguments;
    const QList<Span> words = words_of(text);
    for (int k = 0; k < 3 && result.mode == 0; ++k) {
        // From the end, so that the places of the words before stay right.
        for (qsizetype w = words.size() - 1; w >= 0; --w) {
            const Span s = words[w];
            if (QStringView(arguments).sliced(s.begin, s.end - s.begin) != keywords[k]) continue;
            result.mode = int16_t(k + 1);
            text.remove(s.begin, s.end - s.begin);
        }
    }
    result.path = trim_blanks(text).remove(QLatin1Char('"'));
    return result;
}

QString arguments_text(const QStringList& program_arguments)
{
    // An argument with a blank in it is one word: a path such as "/my load/a.csp"
    // must not lend its letters to a keyword.
    QStringList parts;
    for (const QString& a : program_arguments.mid(1))
        parts << (a.contains(QLatin1Char(' ')) && !a.contains(QLatin1Char('"')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

QString file_name_part(const QString& path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

}  // namespace pw::app
