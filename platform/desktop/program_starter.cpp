#include "platform/desktop/program_starter.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <optional>

namespace pw::platform {

namespace {

std::optional<QProcessEnvironment>& start_environment()
{
    static std::optional<QProcessEnvironment> environment;
    return environment;
}

}  // namespace

void remember_start_environment() { start_environment() = QProcessEnvironment::systemEnvironment(); }

bool start_program(const QString& command_line)
{
    QStringList words = QProcess::splitCommand(command_line);
    if (words.isEmpty() || words.first().isEmpty()) return false;
    QProcess process;
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    // Not the platform plugin or anything else Pellworks chose for itself.
    process.setProcessEnvironment(start_environment().value_or(QProcessEnvironment::systemEnvironment()));
    try {
        return process.startDetached();
    } catch (...) {
        // Nothing about a child that would not start may end the script.
        return false;
    }
}

}  // namespace pw::platform
