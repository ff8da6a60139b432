#include "engine/wave_files.h"

#include <QDir>
#include <QFileInfo>

namespace pw::engine {

QString wave_file_name(const QString& user_folder, const QString& name)
{
    const QDir folder(user_folder + QStringLiteral("/wav"));
    if (name.isEmpty() || QFileInfo(folder.filePath(name)).isFile()) return name;
    // A name with a folder part is taken as written.
    if (name.contains(QLatin1Char('/'))) return name;
    for (const QString& entry : folder.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return name;
}

QString wave_file_path(const QString& user_folder, const QString& name)
{
    return user_folder + QStringLiteral("/wav/") + wave_file_name(user_folder, name);
}

}  // namespace pw::engine
