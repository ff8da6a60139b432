#pragma once
// A frame-sized picture in palette indices (rows top-down), and the ways the builder
// cuts file images out of it.

#include "agent/acs/character_data.h"
#include "tools/charbuild/palette_builder.h"

#include <QByteArray>
#include <QImage>
#include <QRect>

namespace pw::charbuild {

struct IndexedPicture {
    int width = 0;
    int height = 0;
    QByteArray pixels;  // width * height, top-down

    static IndexedPicture from(const QImage& premultiplied, const ColourMapper& colours);

    uint8_t at(int x, int y) const { return uint8_t(pixels[y * width + x]); }
    bool drawn(int x, int y) const { return at(x, y) != transparent_index; }
    // The smallest rectangle holding every drawn pixel; empty when nothing is drawn.
    QRect drawn_bounds() const;
    // A file image of the rectangle: bottom-up rows padded to four bytes.
    acs::Image cut(const QRect& r) const;

    // The smallest rectangle holding every pixel in which the two differ.
    static QRect difference(const IndexedPicture& a, const IndexedPicture& b);
    // Whether this picture, cut at `r` and drawn over `base`, gives exactly this picture.
    // `r` must hold every difference; inside it a patch cannot erase what the base draws.
    bool patches(const IndexedPicture& base, const QRect& r) const;
};

}  // namespace pw::charbuild
