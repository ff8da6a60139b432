#include "agent/acs/open_character_file.h"

#include <QHashFunctions>
#include <QMutexLocker>
#include <utility>

namespace pw::acs {

OpenCharacterFile::OpenCharacterFile(std::unique_ptr<QFile> file) : file_(std::move(file))
{
}

std::optional<QByteArray> OpenCharacterFile::read(qint64 offset, qint64 size, size_t expected) const
{
    QByteArray bytes;
    {
        const QMutexLocker lock(&mutex_);
        if (!file_->seek(offset)) return std::nullopt;
        bytes = file_->read(size);
    }
    if (bytes.size() != size || checksum(bytes) != expected) return std::nullopt;
    return bytes;
}

size_t OpenCharacterFile::checksum(QByteArrayView bytes)
{
    // With a seed, Qt's byte hash takes its fast path (AES) where the processor has it.
    return qHashBits(bytes.data(), size_t(bytes.size()), 1);
}

}  // namespace pw::acs
