#include "app/components.h"

#include "platform/desktop/program_starter.h"

#include <QFileInfo>
#include <QStandardPaths>

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
