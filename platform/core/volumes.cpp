#include "platform/core/volumes.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <optional>

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

bool network_file_system(const QByteArray& type)
{
    static const char* const network[] = {"nfs",   "nfs4",      "cifs",       "smb3",        "smbfs",     "ncpfs",
                                          "afs",   "9p",        "ceph",       "glusterfs",   "lustre",    "davfs",
                                          "coda",  "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs2",
                                          "fuse.curlftpfs", "fuse.glusterfs", "fuse.cephfs"};
    return std::any_of(std::begin(network), std::end(network), [&](const char* p) { return type == p; });
}

// The mount table writes blanks and the like as octal escapes ("\040").
QString unescaped(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool octal = false;
        const int code = field[i] == '\\' ? field.mid(i + 1, 3).toInt(&octal, 8) : 0;
        if (octal && i + 3 < field.size()) {
            out += char(code);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

struct Mount {
    QString point;
    QByteArray type;
};

QList<Mount> read_mount_table(const QString& path)
{
    QList<Mount> mounts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return mounts;
    // Read whole: the kernel makes the file as it is read.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 3) mounts.append({unescaped(fields[1]), fields[2]});
    }
    return mounts;
}

bool holds(const QString& mount_point, const QString& path)
{
    return mount_point == QLatin1String("/") || path == mount_point || path.startsWith(mount_point + QLatin1Char('/'));
}

std::optional<qint64> total_bytes(const QString& mount_point)
{
    struct statvfs s {};
    if (::statvfs(QFile::encodeName(mount_point).constData(), &s) != 0) return std::nullopt;
    return qint64(s.f_blocks) * qint64(s.f_frsize);
}

}  // namespace

QString drive_name(const QString& mount_point)
{
    const QString cleaned = QDir::cleanPath(mount_point);
    const QString last = cleaned.section(QLatin1Char('/'), -1);
    return (last.isEmpty() ? QStringLiteral("/") : last.toUpper()) + QLatin1Char(':');
}

QList<Volume> real_volumes(const QString& home, const QString& mount_table)
{
    const QString home_path = QDir::cleanPath(home.isEmpty() ? QDir::homePath() : home);
    const QList<Mount> mounts = read_mount_table(mount_table);
    // The home volume is the one mounted deepest above the home folder (the last such
    // mount hides the ones before).
    QString home_mount;
    for (const Mount& m : mounts)
        if (holds(m.point, home_path) && m.point.size() >= home_mount.size()) home_mount = m.point;
    QList<Volume> volumes;
    for (const Mount& m : mounts) {
        if (network_file_system(m.type)) continue;
        if (std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.mount_point == m.point; })) continue;
        if (m.point != home_mount && (pseudo_file_system(m.type) || total_bytes(m.point).value_or(0) <= 0)) continue;
        volumes.append({m.point, drive_name(m.point)});
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
