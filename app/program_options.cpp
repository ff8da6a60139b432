#include "app/program_options.h"

#include <QDir>
#include <QFile>

namespace pw::app {

QString usage_text()
{
    return QStringLiteral(
        "Usage: pellworks [load | runin | runout] [SCRIPT.csp]\n"
        "\n"
        "  pellworks                     open Pellworks with the Script window\n"
        "  pellworks load SCRIPT.csp     open the script in the Script window\n"
        "  pellworks runin SCRIPT.csp    open the script and play it at once\n"
        "  pellworks runout SCRIPT.csp   play the script with only the characters on the\n"
        "                                desktop, then end\n"
        "  pellworks -h, --help          show this help\n"
        "\n"
        "Environment:\n"
        "  PELLWORKS_CHARS      a folder of more character files (.acs), added to the\n"
        "                       characters that come with Pellworks\n"
        "  PELLWORKS_MIC_FILE   a wave file that is heard instead of the microphone\n"
        "  PELLWORKS_TRACE      when set, every character request, event and message\n"
        "                       is written to standard error\n"
        "  PELLWORKS_NO_SPLASH  when set, Pellworks starts without its splash\n"
        "  PELLWORKS_INSTANCE   a name of its own for the one-Pellworks-at-a-time check\n"
        "  QT_QPA_PLATFORM      the window system plugin; xcb (X11) when not set\n");
}

std::optional<EarlyExit> early_exit_for_options(const QStringList& arguments)
{
    for (const QString& a : arguments) {
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) return EarlyExit{0, usage_text(), false};
    }
    for (const QString& a : arguments) {
        if (a.startsWith(QLatin1Char('-')))
            return EarlyExit{2, QStringLiteral("pellworks: unknown option %1\n\n").arg(a) + usage_text(), true};
    }
    return std::nullopt;
}

std::optional<EarlyExit> early_exit_for_display(const QString& qt_qpa_platform, const QString& display,
                                                bool (*display_reachable)())
{
    const bool x11 = qt_qpa_platform.isEmpty() || qt_qpa_platform.startsWith(QLatin1String("xcb"));
    if (!x11) return std::nullopt;
    if (display.isEmpty())
        return EarlyExit{1,
                         QStringLiteral("Pellworks needs a graphical desktop to show its characters, "
                                        "and no X11 display was found (DISPLAY is not set).\n"),
                         true};
    if (display_reachable && !display_reachable())
        return EarlyExit{1,
                         QStringLiteral("Pellworks needs a graphical desktop to show its characters, "
                                        "and the display %1 cannot be reached.\n")
                             .arg(display),
                         true};
    return std::nullopt;
}

void make_paths_absolute(const QString& start_folder)
{
    for (const char* name : {"PELLWORKS_HOME", "PELLWORKS_MIC_FILE", "PELLWORKS_CHARS"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty() || QDir::isAbsolutePath(value)) continue;
        qputenv(name, QFile::encodeName(QDir(start_folder).absoluteFilePath(value)));
    }
}

}  // namespace pw::app
