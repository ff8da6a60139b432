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

}  // namespace

CommandLine parse_command_line(const QString& arguments)
{
    static const QLatin1String keywords[] = {QLatin1String("runout"), QLatin1String("runin"),
                                             QLatin1String("load")};
    CommandLine result;
    QString text = arguments;
    for (int i = 0; i < 3; ++i) {
        if (text.contains(keywords[i], Qt::CaseSensitive)) {
            result.mode = int16_t(i + 1);
            text.remove(keywords[i], Qt::CaseSensitive);
            break;
        }
    }
    result.path = trim_blanks(text).remove(QLatin1Char('"'));
    return result;
}

QString arguments_text(const QStringList& program_arguments)
{
    return program_arguments.mid(1).join(QLatin1Char(' '));
}

QString file_name_part(const QString& path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

}  // namespace pw::app
