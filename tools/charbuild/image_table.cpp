#include "tools/charbuild/image_table.h"

namespace pw::charbuild {

uint32_t ImageTable::add(const acs::Image& image)
{
    QByteArray key;
    key.reserve(image.pixels.size() + 8);
    key.append(QByteArray::number(image.width)).append('x').append(QByteArray::number(image.height)).append(':');
    key.append(image.pixels);
    if (const auto it = by_content_.constFind(key); it != by_content_.cend()) return *it;
    const uint32_t index = uint32_t(images_.size());
    images_ << image;
    by_content_.insert(key, index);
    return index;
}

}  // namespace pw::charbuild
