#pragma once
// One palette for all pictures of a character: index 0 is the transparent colour, the
// key colours (outline, skin, ...) follow exactly as given, and the rest of the 256
// entries go to the other colours the pictures use (anti-aliased edges, shading),
// chosen by median cut when there are too many.

#include <QHash>
#include <QImage>
#include <QList>
#include <QRgb>
#include <cstdint>

namespace pw::charbuild {

inline constexpr uint8_t transparent_index = 0;
inline constexpr QRgb transparent_colour = qRgb(255, 0, 255);  // never drawn
inline constexpr int palette_size = 256;

// A pixel counts as drawn when it is at least half covered; the cut-out is hard.
inline bool is_drawn(QRgb premultiplied) { return qAlpha(premultiplied) >= 128; }
// The colour of a drawn pixel, without its coverage.
inline QRgb drawn_colour(QRgb premultiplied) { return qUnpremultiply(premultiplied) | 0xFF000000u; }

class PaletteBuilder {
public:
    // At most palette_size - 1 key colours.
    explicit PaletteBuilder(const QList<QRgb>& key_colours);

    void add(const QImage& premultiplied);
    QList<QRgb> build() const;

private:
    QList<QRgb> keys_;
    QHash<QRgb, qint64> counts_;  // colours other than the keys, opaque
};

// Maps drawn colours to the nearest palette entry (never the transparent index).
class ColourMapper {
public:
    explicit ColourMapper(const QList<QRgb>& palette);
    uint8_t index_of(QRgb colour) const;

private:
    QList<QRgb> palette_;
    mutable QHash<QRgb, uint8_t> cache_;
};

}  // namespace pw::charbuild
