#pragma once
// A frame as the character window shows it: scaled to the window size, with a hard
// cut-out (every pixel fully opaque or fully transparent) and the region of its
// opaque pixels, which becomes the window's mask or input shape.

#include <QImage>
#include <QList>
#include <QRegion>
#include <QSize>

namespace pw::agent::ui {

struct FrameShape {
    QImage image;    // ARGB32_Premultiplied, alpha 0 or 255 only
    QRegion region;  // the opaque pixels
};

// Pixels whose alpha is at least half become opaque (colour un-premultiplied), the
// rest transparent. Works on a copy.
QImage harden_alpha(const QImage& image);

// The region of the pixels with alpha >= 128.
QRegion alpha_region(const QImage& image);

// Scales first (smoothly), then cuts at 50 % alpha, so the edge follows the scaled
// outline rather than blocky source pixels.
FrameShape make_frame_shape(const QImage& frame, QSize size);

// Frames repeat all the time (idle loops, mouth shapes); building a shape costs a
// scale plus a region, so recent ones are kept. Entries are found by content, because
// the same frame is often rendered again into a new image.
class FrameShapeCache {
public:
    // Keeps at most `capacity` shapes and, beyond the newest one, at most `byte_budget`
    // bytes of pictures (frames of a character enlarged by a script can be big).
    explicit FrameShapeCache(int capacity = 64, qsizetype byte_budget = 48 << 20)
        : capacity_(capacity), byte_budget_(byte_budget)
    {
    }

    const FrameShape& shape_for(const QImage& frame, QSize size);

    // How many shapes were built so far (not found in the cache).
    int built() const { return built_; }

private:
    struct Entry {
        size_t hash = 0;
        QImage source;
        QSize size;
        FrameShape shape;
    };

    static qsizetype bytes_of(const Entry& e);

    QList<Entry> entries_;  // most recently used first
    int capacity_;
    qsizetype byte_budget_;
    qsizetype bytes_ = 0;
    int built_ = 0;
};

}  // namespace pw::agent::ui
