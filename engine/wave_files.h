#pragma once
// Sound files of the child's wav/ folder, found by name. Script arguments arrive in
// lower case, while files may be named "Drum.wav": the folder is searched without regard
// to case, as the file systems the scripts were first written on did.

#include <QString>

namespace pw::engine {

// The file's name as it is on disk ("Drum.wav" for "drum.wav"); the name as given when
// no file matches.
QString wave_file_name(const QString& user_folder, const QString& name);
// user folder + "/wav/" + the file's name as it is on disk.
QString wave_file_path(const QString& user_folder, const QString& name);

}  // namespace pw::engine
