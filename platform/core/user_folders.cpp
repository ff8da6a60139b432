#include "platform/core/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pw::folders {
namespace {

// Copies the files of `from` that `to` does not have yet.
void copy_missing(const QString& from, const QString& to)
{
    const QDir source(from);
    for (const QFileInfo& file : source.entryInfoList(QDir::Files | QDir::Readable)) {
        const QString target = QDir(to).filePath(file.fileName());
        if (QFileInfo::exists(target)) continue;
        // A copy that fails (a full disk) leaves nothing half-written behind.
        if (!QFile::copy(file.filePath(), target)) {
            QFile::remove(target);
            continue;
        }
        // Installed starters are read-only; the child's copies are theirs to change.
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ReadOther);
    }
}

}  // namespace

QString user_folder()
{
    const QString home = qEnvironmentVariable("PELLWORKS_HOME");
    if (!home.isEmpty()) return QDir::cleanPath(home);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Pellworks");
}

QString scripts_folder(const QString& user) { return user + QStringLiteral("/scripts"); }

QString sounds_folder(const QString& user) { return user + QStringLiteral("/wav"); }

bool provide_starter_files(const QString& program_folder, const QString& user)
{
    if (!QDir().mkpath(scripts_folder(user)) || !QDir().mkpath(sounds_folder(user))) return false;
    copy_missing(program_folder + QStringLiteral("/scripts"), scripts_folder(user));
    copy_missing(program_folder + QStringLiteral("/wav"), sounds_folder(user));
    return true;
}

}  // namespace pw::folders
