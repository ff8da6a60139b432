#pragma once
// A frame as the character window shows it: scaled to the window size, with a hard
// cut-out (every pixel fully opaque or fully transparent) for desktops without a
// compositor, or an anti-aliased edge for desktops with one, and the region of its
// pixels of at least half alpha, which becomes the window's mask or input shape.

#include <QHash>
#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>
#include <QSize>

namespace pw::agent::ui {

struct FrameShape {
    // ARGB32_Premultiplied, alpha 0 or 255 only unless the edge is soft; at the frame's
    // own size a palette frame whose colours are all opaque or see-through stays Indexed8.
    QImage image;
    QRegion region;  // the opaque pixels
    // The image is the cache's own and comes back as it is; otherwise it is the frame
    // that was asked for, which characters make anew each time they show it.
    bool kept = false;
};

// Pixels whose alpha is at least half become opaque (colour un-premultiplied), the
// rest transparent. Works on a copy.
QImage harden_alpha(const QImage& image);

// The region of the pixels with alpha >= 128; `partial_alpha`, when given, tells whether
// some pixel is neither transparent nor opaque (or, not premultiplied, is transparent
// with a colour: harden_alpha checks again).
QRegion alpha_region(const QImage& image, bool* partial_alpha = nullptr);

// Scales the colours smoothly and the outline through its distance field, so that the
// edge follows the figure's outline at the new size rather than enlarged source
// pixels. `soft_edge`: the edge is anti-aliased through alpha (for a compositor);
// otherwise it is a hard cut at the outline. At the frame's own size the frame's
// pixels stay as they are (hardened unless soft). Only `part` of the picture at `size`
// is made (an empty part: all of it), so that a character far larger than the screen
// costs no more than the screen it covers.
FrameShape make_frame_shape(const QImage& frame, QSize size, bool soft_edge = false, QRect part = {});

// The smallest rectangle holding every pixel in which `after` differs from `before`;
// all of `after` when their sizes, formats or colour tables differ. A new frame often
// changes only a blink or a hand, and only that needs painting again.
QRect changed_rect(const QImage& before, const QImage& after);

// Frames repeat all the time (idle loops, mouth shapes); building a shape costs a
// scale plus a region, so recent ones are kept. Entries are found by content, because
// the same frame is often made again into a new image (characters keep their frames
// packed and unpack them to show them). A shape at the frame's own size is the frame
// itself: only its region is kept, and the frame asked for is shown.
class FrameShapeCache {
public:
    // Keeps at most `capacity` shapes and, beyond the newest one, at most `byte_budget`
    // bytes of pictures (frames of a character enlarged by a script can be big). The
    // capacity holds every frame of a long idle animation and the moves around it, so
    // that a character at rest builds nothing once each frame has been seen.
    explicit FrameShapeCache(int capacity = 256, qsizetype byte_budget = 48 << 20)
        : capacity_(capacity), byte_budget_(byte_budget)
    {
    }

    FrameShape shape_for(const QImage& frame, QSize size, bool soft_edge = false, QRect part = {});

    // changed_rect of the two shapes' images, remembered where both are kept: idle
    // animations of an enlarged character go through the same changes again and again,
    // and comparing two pictures reads both whole.
    QRect changed_between(const FrameShape& before, const FrameShape& after);

    // How many shapes were built so far (not found in the cache).
    int built() const { return built_; }

private:
    struct Entry {
        qint64 source_key = 0;  // the frame's QImage::cacheKey()
        size_t hash = 0;        // of the frame's pixels, format and colours
        QSize source_size;
        QSize size;
        QRect part;
        bool soft_edge = false;
        bool shows_source = false;  // the shape's picture is the frame itself (not kept)
        FrameShape shape;
    };

    // Entry i becomes the most recently used; returns its shape, showing `frame`.
    FrameShape take(qsizetype i, const QImage& frame);

    QList<Entry> entries_;  // most recently used first
    QHash<QPair<qint64, qint64>, QRect> changes_;  // by the pictures' cache keys
    int capacity_;
    qsizetype byte_budget_;
    qsizetype bytes_ = 0;
    int built_ = 0;
};

}  // namespace pw::agent::ui
