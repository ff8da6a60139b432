#pragma once
// A hash of a picture's pixels, for finding pictures that look alike. A frame seen for
// the first time is hashed whole, so the hash must be quick: Qt's byte hash takes its
// fast path (on processors with AES) only when it is given a seed, and is several
// times slower without one.

#include <QHashFunctions>
#include <QImage>

namespace pw::acs {

inline size_t picture_hash(const QImage& image, size_t seed = 0)
{
    if (image.isNull())
        return seed;
    return qHashBits(image.constBits(), size_t(image.sizeInBytes()), seed | 1);
}

}  // namespace pw::acs
