#pragma once
// Where character files live: the program folder's chars/, plus the folder named by
// PELLWORKS_CHARS when it is set (so tests and users can add characters). A character's
// id is its file name without ".acs", written "Pellwick" whatever the file's case.

#include <QList>
#include <QString>
#include <QStringList>

namespace pw::stage {

struct CharacterFile {
    QString id;
    QString path;
};

QStringList character_folders(const QString& program_folder);

// "PELLWICK.ACS" -> "Pellwick": lower case, every ".acs" removed, first letter capital.
QString character_id_from_file_name(const QString& file_name);

// Every "*.acs" file (case ignored) in the folders, sorted by id (case ignored). When
// two folders hold the same id, the later folder's file is used.
QList<CharacterFile> find_character_files(const QStringList& folders);

// The file of an id, case ignored, the later folder first; when there is none, the
// path it would have in the first folder (loading it then reports the missing file).
QString character_path(const QStringList& folders, const QString& id);

}  // namespace pw::stage
