#include "agent/acs/packed_pixels.h"

#include "agent/acs/acs_codec.h"

#include <utility>

namespace pw::acs {

PackedPixels::PackedPixels(QByteArray file, qsizetype offset, qsizetype size, qsizetype decoded_size)
    : file_(std::move(file)), offset_(offset), size_(size), decoded_size_(decoded_size)
{
}

PackedPixels::PackedPixels(std::shared_ptr<const OpenCharacterFile> file, qsizetype offset, qsizetype size,
                           qsizetype decoded_size, size_t checksum)
    : open_file_(std::move(file)), offset_(offset), size_(size), decoded_size_(decoded_size), checksum_(checksum)
{
}

const QByteArray& PackedPixels::pixels() const
{
    std::call_once(decoded_, [this] {
        std::optional<QByteArray> out;
        if (open_file_) {
            if (const std::optional<QByteArray> stream = open_file_->read(offset_, size_, checksum_))
                out = codec::decode(*stream, decoded_size_);
        } else {
            out = codec::decode(QByteArrayView(file_).sliced(offset_, size_), decoded_size_);
        }
        if (out) pixels_ = std::move(*out);
        // This picture no longer holds the file.
        file_ = QByteArray();
        open_file_.reset();
    });
    return pixels_;
}

}  // namespace pw::acs
