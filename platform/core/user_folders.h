#pragma once
// Where a child's own scripts and sounds live: a writable folder of their own, never the
// program's folder (which may belong to the system). PELLWORKS_HOME names it when set
// (tests use a temporary one); otherwise it is the desktop's data folder for the user,
// ~/.local/share/Pellworks. It holds scripts/ and wav/.

#include <QString>

namespace pw::folders {

QString user_folder();
QString scripts_folder(const QString& user_folder);
QString sounds_folder(const QString& user_folder);

// Makes scripts/ and wav/ in the user's folder and copies every starter script and
// sound of the program's folder that is missing there. A file the child already has is
// never replaced, whatever its content. False when the folders cannot be made.
bool provide_starter_files(const QString& program_folder, const QString& user_folder);

}  // namespace pw::folders
