#include "agent/ui/frame_shape.h"

#include "agent/acs/picture_hash.h"
#include "agent/ui/outline_field.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pw::agent::ui {

namespace {

// Whether some pixel is neither fully opaque nor fully transparent.
bool has_partial_alpha(const QImage& image)
{
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint a = qAlpha(line[x]);
            if (a != 0 && a != 255)
                return true;
        }
    }
    return false;
}

// Rows of runs [x0, x1) gathered into bands of rows with the same runs, the banded
// form QRegion keeps: built directly, this costs a fraction of going through a bitmap.
class RegionBands {
public:
    using Runs = QList<QPair<int, int>>;

    // `row` is the runs of row y; it is left in an unspecified state.
    void add_row(int y, Runs& row)
    {
        if (row == band_)
            return;
        close_band(y);
        band_.swap(row);
        band_top_ = y;
    }

    QRegion finish(int height)
    {
        close_band(height);
        QRegion region;
        region.setRects(rects_.constData(), int(rects_.size()));
        return region;
    }

private:
    void close_band(int bottom)
    {
        for (const auto& [x0, x1] : band_)
            rects_.append(QRect(x0, band_top_, x1 - x0, bottom - band_top_));
    }

    QList<QRect> rects_;
    Runs band_;
    int band_top_ = 0;
};

// alpha_region of a palette picture: the runs of pixels whose colour is solid.
QRegion indexed_alpha_region(const QImage& image, bool* partial_alpha)
{
    const QList<QRgb> table = image.colorTable();
    std::array<bool, 256> solid{}, used{};  // indices beyond the table draw nothing
    for (qsizetype i = 0; i < qMin<qsizetype>(table.size(), 256); ++i)
        solid[size_t(i)] = qAlpha(table[i]) >= 128;
    const int w = image.width(), h = image.height();
    RegionBands bands;
    RegionBands::Runs row;
    for (int y = 0; y < h; ++y) {
        row.clear();
        const uchar* line = image.constScanLine(y);
        int run_start = -1;
        for (int x = 0; x < w; ++x) {
            used[line[x]] = true;
            if (solid[line[x]]) {
                if (run_start < 0)
                    run_start = x;
            } else if (run_start >= 0) {
                row.append({run_start, x});
                run_start = -1;
            }
        }
        if (run_start >= 0)
            row.append({run_start, w});
        bands.add_row(y, row);
    }
    if (partial_alpha) {
        *partial_alpha = false;
        for (qsizetype i = 0; i < qMin<qsizetype>(table.size(), 256); ++i) {
            const int a = qAlpha(table[i]);
            *partial_alpha = *partial_alpha || (used[size_t(i)] && a != 0 && a != 255);
        }
    }
    return bands.finish(h);
}

// Whether a palette picture's colours are each fully opaque or fully transparent.
bool hard_palette(const QImage& image)
{
    const QList<QRgb> table = image.colorTable();
    return std::all_of(table.cbegin(), table.cend(), [](QRgb c) { return qAlpha(c) == 0 || qAlpha(c) == 255; });
}

}  // namespace

QImage harden_alpha(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Rendered frames are hard already: they share their pixels instead of a copy.
    if (!has_partial_alpha(out))
        return out;
    const int w = out.width(), h = out.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(line[x]);
            if (a == 255)
                continue;
            if (a < 128) {
                line[x] = 0;
            } else {
                const QRgb c = qUnpremultiply(line[x]);
                line[x] = qRgba(qRed(c), qGreen(c), qBlue(c), 255);
            }
        }
    }
    return out;
}

QRegion alpha_region(const QImage& image, bool* partial_alpha)
{
    if (image.isNull())
        return {};
    if (image.format() == QImage::Format_Indexed8)
        return indexed_alpha_region(image, partial_alpha);
    // Runs of pixels with alpha >= 128, row by row.
    const QImage argb = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    RegionBands bands;
    RegionBands::Runs row;
    // Alpha is the top byte: below half is a pixel under 0x80000000. Any bit left in a
    // see-through pixel, or missing from the alpha of a solid one, means partial alpha.
    QRgb clear_bits = 0, solid_bits = 0xffffffffu;
#ifdef __SSE2__
    // Four pixels at a time while all four stay on the side of half alpha where the
    // run is: alpha's top bit is the sign bit of each pixel.
    __m128i clear_four = _mm_setzero_si128(), solid_four = _mm_set1_epi32(-1);
#endif
    for (int y = 0; y < h; ++y) {
        row.clear();
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        int run_start = -1;  // the solid run under way, if any
        for (int x = 0; x < w;) {
#ifdef __SSE2__
            // Sixteen at a time across the wide margins and bodies, then four.
            while (x + 16 <= w) {
                const auto* at = reinterpret_cast<const __m128i*>(line + x);
                const __m128i a = _mm_loadu_si128(at), b = _mm_loadu_si128(at + 1);
                const __m128i c = _mm_loadu_si128(at + 2), d = _mm_loadu_si128(at + 3);
                if (run_start < 0) {
                    const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
                    if (_mm_movemask_ps(_mm_castsi128_ps(any)) != 0)
                        break;
                    clear_four = _mm_or_si128(clear_four, any);
                } else {
                    const __m128i all = _mm_and_si128(_mm_and_si128(a, b), _mm_and_si128(c, d));
                    if (_mm_movemask_ps(_mm_castsi128_ps(all)) != 0xf)
                        break;
                    solid_four = _mm_and_si128(solid_four, all);
                }
                x += 16;
            }
            if (x == w)
                break;
            if (x + 4 <= w) {
                const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
                const int solid = _mm_movemask_ps(_mm_castsi128_ps(four));
                if (solid == 0 && run_start < 0) {
                    clear_four = _mm_or_si128(clear_four, four);
                    x += 4;
                    continue;
                }
                if (solid == 0xf && run_start >= 0) {
                    solid_four = _mm_and_si128(solid_four, four);
                    x += 4;
                    continue;
                }
            }
#endif
            if (line[x] >= 0x80000000u) {
                if (run_start < 0)
                    run_start = x;
                solid_bits &= line[x];
            } else {
                if (run_start >= 0)
                    row.append({run_start, x});
                run_start = -1;
                clear_bits |= line[x];
            }
            ++x;
        }
        if (run_start >= 0)
            row.append({run_start, w});
        bands.add_row(y, row);
    }
#ifdef __SSE2__
    alignas(16) QRgb lanes[2][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), clear_four);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), solid_four);
    for (int i = 0; i < 4; ++i) {
        clear_bits |= lanes[0][i];
        solid_bits &= lanes[1][i];
    }
#endif
    if (partial_alpha)
        *partial_alpha = clear_bits != 0 || qAlpha(solid_bits) != 255;
    return bands.finish(h);
}

namespace {

// The scaled colours (opaque) under the scaled coverage.
QImage with_coverage(const QImage& colours, const QImage& coverage)
{
    QImage out(colours.size(), QImage::Format_ARGB32_Premultiplied);
    const int w = out.width(), h = out.height();
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(colours.constScanLine(y));
        const uchar* alpha = coverage.constScanLine(y);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = alpha[x];
            if (a == 255)
                line[x] = in[x] | 0xff000000u;
            else
                line[x] = a == 0 ? 0 : qPremultiply(qRgba(qRed(in[x]), qGreen(in[x]), qBlue(in[x]), a));
        }
    }
    return out;
}

// The colours scaled to `size`, of which only `part` is drawn.
QImage scaled_part(const QImage& colours, QSize size, QRect part)
{
    if (part == QRect(QPoint(0, 0), size))
        return colours.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage out(part.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(-part.x(), -part.y(), size.width(), size.height()), colours);
    return out;
}

}  // namespace

FrameShape make_frame_shape(const QImage& frame, QSize size, bool soft_edge, QRect part)
{
    if (frame.isNull() || size.isEmpty())
        return {};
    part = part.isEmpty() ? QRect(QPoint(0, 0), size) : part.intersected(QRect(QPoint(0, 0), size));
    if (part.isEmpty())
        return {};
    FrameShape shape;
    if (frame.size() == size) {
        // A character's own frames are palette pictures and stay so: the window puts
        // them on the screen through their colour table.
        const bool palette = frame.format() == QImage::Format_Indexed8 && hard_palette(frame);
        shape.image = palette ? frame : frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (part.size() != size)
            shape.image = shape.image.copy(part);
        // Hardening keeps the cut-out as it is, so one pass finds both; rendered frames
        // are hard already and keep their own pixels.
        bool partial = false;
        shape.region = alpha_region(shape.image, soft_edge ? nullptr : &partial);
        if (partial)
            shape.image = harden_alpha(shape.image);
        return shape;
    }
    const OutlineField field = outline_field(frame);
    shape.image = with_coverage(scaled_part(field.colours, size, part), outline_coverage(field, size, soft_edge, part));
    shape.region = alpha_region(shape.image);
    return shape;
}

namespace {

template <typename Pixel>
QRect changed_pixels(const QImage& before, const QImage& after)
{
    const int w = after.width();
    const size_t row_bytes = size_t(w) * sizeof(Pixel);
    int left = w, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto* a = reinterpret_cast<const Pixel*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const Pixel*>(after.constScanLine(y));
        if (std::memcmp(a, b, row_bytes) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        // Only what could widen the rectangle found so far is read.
        int x0 = 0;
        while (x0 < left && a[x0] == b[x0])
            ++x0;
        int x1 = w - 1;
        while (x1 > right && a[x1] == b[x1])
            --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

QRect changed_rect(const QImage& before, const QImage& after)
{
    if (before.size() != after.size() || before.format() != after.format())
        return after.rect();
    if (before.cacheKey() == after.cacheKey())
        return {};
    if (after.depth() == 32)
        return changed_pixels<quint32>(before, after);
    if (after.format() == QImage::Format_Indexed8 && before.colorTable() == after.colorTable())
        return changed_pixels<quint8>(before, after);
    return after.rect();
}

FrameShape FrameShapeCache::shape_for(const QImage& frame, QSize size, bool soft_edge, QRect part)
{
    const auto same_use = [&](const Entry& e) {
        return e.size == size && e.part == part && e.soft_edge == soft_edge && e.source_size == frame.size();
    };
    // The very same image comes back while a frame stays (a blink's neighbours, a
    // grown character's frames), found without reading its pixels.
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].source_key == frame.cacheKey() && same_use(entries_[i]))
            return take(i, frame);
    }
    const QList<QRgb> colours = frame.colorTable();
    const size_t hash = pw::acs::picture_hash(
        frame, qHashBits(colours.constData(), size_t(colours.size()) * sizeof(QRgb), size_t(frame.format())));
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].hash == hash && same_use(entries_[i]))
            return take(i, frame);
    }
    ++built_;
    FrameShape shape = make_frame_shape(frame, size, soft_edge, part);
    const bool shows_source = !frame.isNull() && shape.image.cacheKey() == frame.cacheKey();
    shape.kept = !shows_source;
    entries_.prepend(Entry{frame.cacheKey(), hash, frame.size(), size, part, soft_edge, shows_source,
                           shows_source ? FrameShape{QImage(), shape.region} : shape});
    bytes_ += entries_.front().shape.image.sizeInBytes();
    while (entries_.size() > 1 && (entries_.size() > capacity_ || bytes_ > byte_budget_)) {
        bytes_ -= entries_.back().shape.image.sizeInBytes();
        entries_.removeLast();
    }
    return shape;
}

QRect FrameShapeCache::changed_between(const FrameShape& before_shape, const FrameShape& after_shape)
{
    const QImage& before = before_shape.image;
    const QImage& after = after_shape.image;
    if (!before_shape.kept || !after_shape.kept)
        return changed_rect(before, after);
    const QPair<qint64, qint64> key{before.cacheKey(), after.cacheKey()};
    const auto known = changes_.constFind(key);
    if (known != changes_.constEnd())
        return known.value();
    if (changes_.size() >= 4096)
        changes_.clear();
    return changes_[key] = changed_rect(before, after);
}

FrameShape FrameShapeCache::take(qsizetype i, const QImage& frame)
{
    if (i != 0)
        entries_.move(i, 0);
    Entry& e = entries_.front();
    e.source_key = frame.cacheKey();
    FrameShape shape = e.shape;
    if (e.shows_source)
        shape.image = frame;
    return shape;
}

}  // namespace pw::agent::ui
