#include "agent/acs/frame_renderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pw::acs {

namespace {

// How open each mouth shape is, for choosing a stand-in when a frame lacks the
// wanted one: closed, narrow, medium, then the four wide ones.
int openness(Mouth m)
{
    switch (m) {
    case Mouth::Closed: return 0;
    case Mouth::Narrow: return 1;
    case Mouth::Medium: return 2;
    case Mouth::WideOpen1: return 3;
    case Mouth::WideOpen2: return 4;
    case Mouth::WideOpen3: return 5;
    case Mouth::WideOpen4: return 6;
    }
    return 0;
}

// A damaged file can claim a frame of 65535 x 65535 pixels; no character is near
// 4096 x 4096, and above that drawing would only exhaust memory.
constexpr int max_frame_pixels = 4096 * 4096;

// Indices beyond the palette are black; the transparent index is see-through.
QList<QRgb> color_table(const CharacterData& data)
{
    QList<QRgb> t(256);
    for (int i = 0; i < 256; ++i) t[i] = i < data.palette.size() ? (data.palette[i] | 0xFF000000u) : 0xFF000000u;
    t[data.transparent_index] = 0;
    return t;
}

// Copies the non-transparent pixels of `img`, placed at (x, y) from the frame's top
// left, into `out`, clipped to the frame.
void draw(QImage& out, const Image& img, int x, int y, uint8_t transparent)
{
    if (!img.present || img.width <= 0 || img.height <= 0) return;
    const int x0 = std::max(0, x);
    const int y0 = std::max(0, y);
    const int x1 = std::min(out.width(), x + img.width);
    const int y1 = std::min(out.height(), y + img.height);
    if (x0 >= x1 || y0 >= y1) return;
    // Short pixels: hand-made data, or a compressed picture found damaged.
    const QByteArray indices = img.decoded_pixels();
    if (indices.size() < qsizetype(img.stride()) * img.height) return;
    const auto* pixels = reinterpret_cast<const uchar*>(indices.constData());
    for (int fy = y0; fy < y1; ++fy) {
        // Rows are stored bottom-up.
        const uchar* src = pixels + qsizetype(img.height - 1 - (fy - y)) * img.stride() + (x0 - x);
        uchar* dst = out.scanLine(fy) + x0;
        for (int fx = x0; fx < x1; ++fx, ++src, ++dst)
            if (*src != transparent) *dst = *src;
    }
}

const Image* image_at(const CharacterData& data, uint32_t index)
{
    return index < uint32_t(data.images.size()) ? &data.images[qsizetype(index)] : nullptr;
}

}  // namespace

const MouthOverlay* pick_overlay(const Frame& frame, Mouth wanted)
{
    const MouthOverlay* best = nullptr;
    int best_gap = 0;
    for (const MouthOverlay& o : frame.overlays) {
        const int gap = std::abs(openness(o.shape) - openness(wanted));
        // On a tie the more closed shape wins: a mouth too shut looks better than one
        // gaping at silence.
        if (!best || gap < best_gap || (gap == best_gap && openness(o.shape) < openness(best->shape))) {
            best = &o;
            best_gap = gap;
        }
    }
    return best;
}

QImage compose_frame(const CharacterData& data, const Frame& frame, std::optional<Mouth> mouth)
{
    if (qint64(data.width) * data.height > max_frame_pixels) return {};
    QImage out(data.width, data.height, QImage::Format_Indexed8);
    if (out.isNull()) return out;
    out.setColorTable(color_table(data));
    // The rows' padding too, so that pictures that look alike hash alike.
    std::memset(out.bits(), data.transparent_index, size_t(out.sizeInBytes()));
    const MouthOverlay* overlay = mouth ? pick_overlay(frame, *mouth) : nullptr;
    const qsizetype skipped = overlay && overlay->replace_top_image ? 0 : -1;

    // Last listed first, so that image 0 ends up on top.
    for (qsizetype i = frame.images.size() - 1; i >= 0; --i) {
        if (i == skipped) continue;
        const FrameImage& fi = frame.images[i];
        if (const Image* img = image_at(data, fi.image)) draw(out, *img, fi.x, fi.y, data.transparent_index);
    }
    if (overlay)
        if (const Image* img = image_at(data, overlay->image))
            draw(out, *img, overlay->x, overlay->y, data.transparent_index);
    return out;
}

QImage render_frame(const CharacterData& data, const Frame& frame, std::optional<Mouth> mouth)
{
    return compose_frame(data, frame, mouth).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace pw::acs
