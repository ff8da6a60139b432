#include "platform/core/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pw::folders {

QString program_folder_for(const QString& binary_folder)
{
    const QDir bin(binary_folder);
    if (QFileInfo(bin.filePath(QStringLiteral("chars"))).isDir()) return bin.absolutePath();
    const QString installed = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/pellworks")));
    if (QFileInfo(installed + QStringLiteral("/chars")).isDir()) return installed;
    // Neither layout: the binary's folder, where the messages about missing characters
    // point a person.
    return bin.absolutePath();
}

QString program_folder()
{
    return program_folder_for(QCoreApplication::applicationDirPath());
}

}  // namespace pw::folders
