#pragma once
// The compressed pixels of a picture read from a character file. Loading a character
// only checks the pictures' sizes; the stream is read the first time something asks
// for the picture and then kept, compressed, and decoded each time it is asked for. A
// character composes each frame once and keeps it, so a picture is decoded a few times
// in a run, while its decoded pixels would take several times the memory of the
// stream for as long as the character is loaded. Several threads may ask at once.

#include "agent/acs/open_character_file.h"

#include <QByteArray>
#include <memory>
#include <mutex>
#include <optional>

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
    QByteArray pixels() const;

private:
    mutable QByteArray file_;  // let go once the stream is read
    mutable std::shared_ptr<const OpenCharacterFile> open_file_;  // likewise
    qsizetype offset_;
    qsizetype size_;
    qsizetype decoded_size_;
    size_t checksum_ = 0;
    mutable std::once_flag read_;
    mutable std::optional<QByteArray> stream_;  // nullopt: the file no longer held it
};

}  // namespace pw::acs
