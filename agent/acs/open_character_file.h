#pragma once
// A character file kept open once it has been read, from which a picture's
// compressed stream is read again when the picture is first drawn: the streams are
// most of the file, and most pictures are never drawn, so they need not stay in
// memory. Open, it is still the same file after a newer one is renamed over it or it
// is deleted (a package upgrade while the program runs); a file rewritten in place
// is noticed by the streams' checksums. Several threads may read at once.

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <memory>
#include <optional>

namespace pw::acs {

class OpenCharacterFile {
public:
    // `file` is open for reading.
    explicit OpenCharacterFile(std::unique_ptr<QFile> file);

    OpenCharacterFile(const OpenCharacterFile&) = delete;
    OpenCharacterFile& operator=(const OpenCharacterFile&) = delete;

    // The bytes [offset, offset + size) as they were when the file was read, or
    // nullopt when they cannot be read or have changed since.
    std::optional<QByteArray> read(qint64 offset, qint64 size, size_t checksum) const;

    static size_t checksum(QByteArrayView bytes);

private:
    mutable QMutex mutex_;
    std::unique_ptr<QFile> file_;
};

}  // namespace pw::acs
