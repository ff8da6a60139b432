#pragma once
// Sounds are the wave files of the child's sounds folder, and a sound's name is what a
// script says after `sound`: the file name without its last four characters (".wav"),
// in lower case. A new sound's name must be a plain file name, so that a recording can
// only ever land in the sounds folder.

#include <QString>
#include <QStringList>

namespace pw::media {

// The sound names of the folder's wave files (".wav" in any case; hidden files are
// not sounds), sorted with case ignored. Empty when the folder is missing.
QStringList sound_names(const QString& folder);

// What the current character says when a name cannot be a new sound's name: an empty
// name, one with a folder separator or control characters, one starting with a dot,
// one too long for a file name. Empty when the name will do. Blanks around the name
// are not part of it.
QString sound_name_refusal(const QString& name);

// Where the sound of that name is kept: an existing file whose name differs only in
// case ("Drum.WAV" for drum) when there is one, otherwise folder/name.wav.
QString sound_file_path(const QString& folder, const QString& name);

}  // namespace pw::media
