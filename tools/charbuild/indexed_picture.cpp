#include "tools/charbuild/indexed_picture.h"

namespace pw::charbuild {

IndexedPicture IndexedPicture::from(const QImage& premultiplied, const ColourMapper& colours)
{
    const QImage img = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    IndexedPicture p;
    p.width = img.width();
    p.height = img.height();
    p.pixels = QByteArray(p.width * p.height, char(transparent_index));
    for (int y = 0; y < p.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < p.width; ++x)
            if (is_drawn(row[x])) p.pixels[y * p.width + x] = char(colours.index_of(drawn_colour(row[x])));
    }
    return p;
}

QRect IndexedPicture::drawn_bounds() const
{
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (drawn(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

acs::Image IndexedPicture::cut(const QRect& r) const
{
    acs::Image image;
    image.width = r.width();
    image.height = r.height();
    image.pixels = QByteArray(image.stride() * image.height, char(transparent_index));
    for (int y = 0; y < r.height(); ++y) {
        char* out = image.pixels.data() + (image.height - 1 - y) * image.stride();
        const char* in = pixels.constData() + (r.top() + y) * width + r.left();
        std::copy(in, in + r.width(), out);
    }
    return image;
}

QRect IndexedPicture::difference(const IndexedPicture& a, const IndexedPicture& b)
{
    int left = a.width, top = a.height, right = -1, bottom = -1;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.at(x, y) != b.at(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool IndexedPicture::patches(const IndexedPicture& base, const QRect& r) const
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (!drawn(x, y) && base.drawn(x, y)) return false;
    return true;
}

}  // namespace pw::charbuild
