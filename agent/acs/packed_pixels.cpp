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

QByteArray PackedPixels::pixels() const
{
    std::call_once(read_, [this] {
        if (open_file_)
            stream_ = open_file_->read(offset_, size_, checksum_);
        else
            stream_ = QByteArrayView(file_).sliced(offset_, size_).toByteArray();
        // This picture no longer holds the file.
        file_ = QByteArray();
        open_file_.reset();
    });
    if (!stream_) return {};
    std::optional<QByteArray> out = codec::decode(*stream_, decoded_size_);
    return out ? std::move(*out) : QByteArray();
}

}  // namespace pw::acs
