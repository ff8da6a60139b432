#include "app/command_line.h"

#include <QDir>

namespace pw::app {

namespace {

const QLatin1String keywords[] = {QLatin1String("runout"), QLatin1String("runin"), QLatin1String("load")};

int16_t mode_of(const QStringList& arguments)
{
    for (int k = 0; k < 3; ++k)
        if (arguments.contains(keywords[k])) return int16_t(k + 1);
    return 0;
}

}  // namespace

CommandLine parse_command_line(const QStringList& arguments)
{
    CommandLine result;
    result.mode = mode_of(arguments);
    QStringList rest = arguments;
    if (result.mode != 0) rest.removeAll(keywords[result.mode - 1]);
    result.path = rest.join(QLatin1Char(' '));
    if (result.path.isEmpty()) result.mode = 0;
    return result;
}

QStringList with_absolute_path(const QStringList& arguments, const QString& folder)
{
    const CommandLine c = parse_command_line(arguments);
    if (c.path.isEmpty()) return arguments;
    QStringList result;
    if (c.mode != 0) result << keywords[c.mode - 1];
    return result << QDir(folder).absoluteFilePath(c.path);
}

QString file_name_part(const QString& path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

}  // namespace pw::app
