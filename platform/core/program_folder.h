#pragma once
// Where the program's own files are (chars/, scripts/, wav/, help/): beside the binary
// in a build (build/bin), or in ../share/pellworks beside an installed bin/. Found from
// the binary's own place, so a copy unpacked anywhere runs.

#include <QString>

namespace pw::folders {

// The program folder for a binary in `binary_folder`.
QString program_folder_for(const QString& binary_folder);

// The program folder of the running binary.
QString program_folder();

}  // namespace pw::folders
