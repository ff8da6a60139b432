#pragma once
// The program's folder says whether what Pellworks needs is installed: the build
// writes the marker "Pellwick_comp.txt" beside the program once it has found every
// component, and puts the installer "Pellwick_Component_Installer" there too.

#include <QString>

namespace pw::app {

QString component_marker_name();
QString component_installer_name();

// Only the marker's presence counts, never its content.
bool components_installed(const QString& program_folder);

// True while the installer runs: it holds a lock on its own file for as long.
bool component_installer_running(const QString& program_folder);

// Starts the installer in a terminal window, where it can ask for the password it
// needs, or on its own when no terminal program is found; never waits for it. False
// when it cannot be started.
bool start_component_installer(const QString& program_folder);

}  // namespace pw::app
