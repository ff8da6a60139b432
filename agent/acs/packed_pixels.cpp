#include "agent/acs/packed_pixels.h"

#include "agent/acs/acs_codec.h"

#include <utility>

namespace pw::acs {

PackedPixels::PackedPixels(QByteArray file, qsizetype offset, qsizetype size, qsizetype decoded_size)
    : file_(std::move(file)), offset_(offset), size_(size), decoded_size_(decoded_size)
{
}

const QByteArray& PackedPixels::pixels() const
{
    std::call_once(decoded_, [this] {
        std::optional<QByteArray> out = codec::decode(QByteArrayView(file_).sliced(offset_, size_), decoded_size_);
        if (out) pixels_ = std::move(*out);
        file_ = QByteArray();  // this picture no longer holds the file in memory
    });
    return pixels_;
}

}  // namespace pw::acs
