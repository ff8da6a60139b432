#include "stage/character_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>

namespace pw::stage {
namespace {

const QString acs_suffix = QStringLiteral(".acs");

bool is_character_file(const QFileInfo& info)
{
    return info.isFile() && info.fileName().endsWith(acs_suffix, Qt::CaseInsensitive);
}

}  // namespace

QStringList character_folders(const QString& program_folder)
{
    QStringList folders{program_folder + QStringLiteral("/chars")};
    const QString extra = qEnvironmentVariable("PELLWORKS_CHARS");
    if (!extra.isEmpty()) folders << extra;
    return folders;
}

QString character_id_from_file_name(const QString& file_name)
{
    QString id = file_name.toLower();
    id.remove(acs_suffix);
    if (!id.isEmpty()) id[0] = id[0].toUpper();
    return id;
}

QList<CharacterFile> find_character_files(const QStringList& folders)
{
    QMap<QString, CharacterFile> by_key;  // key: id in lower case, sorts the list too
    for (const QString& folder : folders) {
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
        for (const QFileInfo& info : entries) {
            if (!is_character_file(info)) continue;
            const QString id = character_id_from_file_name(info.fileName());
            if (id.isEmpty()) continue;
            by_key.insert(id.toLower(), CharacterFile{id, info.filePath()});
        }
    }
    return by_key.values();
}

QString character_path(const QStringList& folders, const QString& id)
{
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder) {
        const QFileInfoList entries = QDir(*folder).entryInfoList(QDir::Files);
        for (const QFileInfo& info : entries)
            if (is_character_file(info)
                && character_id_from_file_name(info.fileName()).compare(id, Qt::CaseInsensitive) == 0)
                return info.filePath();
    }
    const QString first = folders.isEmpty() ? QStringLiteral("chars") : folders.first();
    return first + QLatin1Char('/') + id + acs_suffix;
}

}  // namespace pw::stage
