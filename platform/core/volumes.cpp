#include "platform/core/volumes.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>

#include <sys/statvfs.h>

namespace pw::platform {

namespace {

// Kernel and memory file systems: nothing a child keeps files on.
bool pseudo_file_system(const QByteArray& type)
{
    static const char* const pseudo[] = {"proc",   "sysfs",      "tmpfs",     "devtmpfs", "devpts",  "cgroup",
                                         "cgroup2", "securityfs", "debugfs",   "tracefs",  "pstore",  "bpf",
                                         "configfs", "fusectl",   "hugetlbfs", "mqueue",   "autofs",  "binfmt_misc",
                                         "efivarfs", "ramfs",     "nsfs",      "rpc_pipefs", "squashfs", "fuse.portal",
                                         "fuse.gvfsd-fuse"};
    return std::any_of(std::begin(pseudo), std::end(pseudo), [&](const char* p) { return type == p; });
}

}  // namespace

QString drive_name(const QString& mount_point)
{
    const QString cleaned = QDir::cleanPath(mount_point);
    const QString last = cleaned.section(QLatin1Char('/'), -1);
    return (last.isEmpty() ? QStringLiteral("/") : last.toUpper()) + QLatin1Char(':');
}

QList<Volume> real_volumes(const QString& home)
{
    const QString home_mount = QStorageInfo(home.isEmpty() ? QDir::homePath() : home).rootPath();
    QList<Volume> volumes;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady()) continue;
        if (s.rootPath() != home_mount && (pseudo_file_system(s.fileSystemType()) || s.bytesTotal() <= 0)) continue;
        volumes.append({s.rootPath(), drive_name(s.rootPath())});
    }
    std::stable_sort(volumes.begin(), volumes.end(), [&](const Volume& a, const Volume& b) {
        const bool a_home = a.mount_point == home_mount, b_home = b.mount_point == home_mount;
        if (a_home != b_home) return a_home;
        return a.mount_point < b.mount_point;
    });
    return volumes;
}

std::optional<double> free_kilobytes(const QString& mount_point)
{
    // Asked every second: statvfs alone, without reading the mount table again.
    struct statvfs s {};
    if (mount_point.isEmpty() || ::statvfs(QFile::encodeName(mount_point).constData(), &s) != 0) return std::nullopt;
    // What the user may still write (df's "Avail"), not counting the reserved blocks.
    return double(s.f_bavail) * double(s.f_frsize) / 1024.0;
}

}  // namespace pw::platform
