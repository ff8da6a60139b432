#include "platform/desktop/program_starter.h"

#include <QProcess>
#include <QStringList>

namespace pw::platform {

bool start_program(const QString& command_line)
{
    QStringList words = QProcess::splitCommand(command_line);
    if (words.isEmpty() || words.first().isEmpty()) return false;
    const QString program = words.takeFirst();
    try {
        return QProcess::startDetached(program, words);
    } catch (...) {
        // Nothing about a child that would not start may end the script.
        return false;
    }
}

}  // namespace pw::platform
