#include "app/components.h"

#include "platform/desktop/program_starter.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pw::app {

QString component_marker_name()
{
    return QStringLiteral("Pellwick_comp.txt");
}

QString component_installer_name()
{
    return QStringLiteral("Pellwick_Component_Installer");
}

bool components_installed(const QString& program_folder)
{
    return QFileInfo::exists(program_folder + QLatin1Char('/') + component_marker_name());
}

bool component_installer_running(const QString& program_folder)
{
    const QByteArray path = QFile::encodeName(program_folder + QLatin1Char('/') + component_installer_name());
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool start_component_installer(const QString& program_folder)
{
    const QString installer = QLatin1Char('"') + program_folder + QLatin1Char('/') + component_installer_name() + QLatin1Char('"');
    for (const char* terminal : {"x-terminal-emulator", "xterm"}) {
        if (!QStandardPaths::findExecutable(QLatin1String(terminal)).isEmpty())
            return pw::platform::start_program(QLatin1String(terminal) + QStringLiteral(" -e ") + installer);
    }
    return pw::platform::start_program(installer);
}

}  // namespace pw::app
