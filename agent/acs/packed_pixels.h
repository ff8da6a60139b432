#pragma once
// The compressed pixels of a picture read from a character file, decoded the first
// time something asks for them and then kept. Loading a character only checks the
// pictures' sizes; a picture no frame shows is never decoded. Several threads may ask
// at once: one decodes, the others wait for its result.

#include "agent/acs/open_character_file.h"

#include <QByteArray>
#include <memory>
#include <mutex>

namespace pw::acs {

class PackedPixels {
public:
    // The stream is [offset, offset + size) of `file`, which is kept (shared, not
    // copied) until the stream is decoded; it decodes to `decoded_size` bytes.
    PackedPixels(QByteArray file, qsizetype offset, qsizetype size, qsizetype decoded_size);
    // The stream is read from the open file when first asked for; `checksum` is
    // OpenCharacterFile::checksum of the stream as it was read at loading.
    PackedPixels(std::shared_ptr<const OpenCharacterFile> file, qsizetype offset, qsizetype size,
                 qsizetype decoded_size, size_t checksum);

    PackedPixels(const PackedPixels&) = delete;
    PackedPixels& operator=(const PackedPixels&) = delete;

    // The palette indices; empty when the stream turns out to be damaged.
    const QByteArray& pixels() const;

private:
    mutable QByteArray file_;  // let go once decoded
    mutable std::shared_ptr<const OpenCharacterFile> open_file_;  // likewise
    qsizetype offset_;
    qsizetype size_;
    qsizetype decoded_size_;
    size_t checksum_ = 0;
    mutable std::once_flag decoded_;
    mutable QByteArray pixels_;
};

}  // namespace pw::acs
