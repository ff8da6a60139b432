#pragma once
// What the program checks before it opens any window: the options that only print
// something (--help), options it does not know, and whether there is a desktop to show
// the characters on at all.

#include <QString>
#include <QStringList>

#include <optional>

namespace pw::app {

struct EarlyExit {
    int code = 0;
    QString text;             // ends with a line break
    bool on_standard_error = false;
};

// The short usage: the three command-line modes and the environment variables.
QString usage_text();

// --help and -h print the usage and end well; any other argument that starts with "-"
// prints it as a complaint and ends with status 2. Nothing for a plain command line.
// `arguments` are the program's arguments without its own path.
std::optional<EarlyExit> early_exit_for_options(const QStringList& arguments);

// Why no window can be shown here, or nothing. The program uses the X11 platform
// unless QT_QPA_PLATFORM names another, and X11 needs a display it can reach;
// `display_reachable` is asked only when X11 would be used.
std::optional<EarlyExit> early_exit_for_display(const QString& qt_qpa_platform, const QString& display,
                                                bool (*display_reachable)());

// Makes the paths in PELLWORKS_HOME, PELLWORKS_MIC_FILE and PELLWORKS_CHARS absolute
// against `start_folder`: start-up moves into the program's folder, and a relative
// path must still mean where the user started the program.
void make_paths_absolute(const QString& start_folder);

}  // namespace pw::app
