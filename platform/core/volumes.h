#pragma once
// The mounted volumes a child or parent would call drives: real local file systems only
// (no proc, sysfs, tmpfs and the like, and no network file system: a mount whose server
// hangs would freeze whoever asks it anything), the one holding the home folder first,
// the others by mount point. Each is named for the status bar by its mount point's last
// part in capitals ("/media/kid/stick" is "STICK:", the root "/:").

#include <QList>
#include <QString>

#include <optional>

namespace pw::platform {

struct Volume {
    QString mount_point;
    QString drive;  // "STICK:"
};

// `home` decides which volume comes first (the user's home folder by default);
// `mount_table` is read in the format of /proc/self/mounts. Only the volumes kept are
// asked for their size.
QList<Volume> real_volumes(const QString& home = QString(), const QString& mount_table = QStringLiteral("/proc/self/mounts"));

QString drive_name(const QString& mount_point);

// Free space for the user in kilobytes (bytes / 1024), or nothing when the volume
// cannot be read (gone, not ready).
std::optional<double> free_kilobytes(const QString& mount_point);

}  // namespace pw::platform
