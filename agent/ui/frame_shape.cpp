#include "agent/ui/frame_shape.h"

#include "agent/ui/outline_field.h"

#include <QBitmap>
#include <QHashFunctions>
#include <QPainter>

namespace pw::agent::ui {

QImage harden_alpha(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
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

QRegion alpha_region(const QImage& image)
{
    if (image.isNull())
        return {};
    // createAlphaMask's threshold dither sets a bit exactly for alpha >= 128.
    const QImage mask = image.convertToFormat(QImage::Format_ARGB32)
                            .createAlphaMask(Qt::ThresholdAlphaDither | Qt::ThresholdDither);
    return QRegion(QBitmap::fromImage(mask));
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
        shape.image = soft_edge ? frame.convertToFormat(QImage::Format_ARGB32_Premultiplied) : harden_alpha(frame);
        if (part.size() != size)
            shape.image = shape.image.copy(part);
    } else {
        const OutlineField field = outline_field(frame);
        shape.image = with_coverage(scaled_part(field.colours, size, part),
                                    outline_coverage(field, size, soft_edge, part));
    }
    shape.region = alpha_region(shape.image);
    return shape;
}

const FrameShape& FrameShapeCache::shape_for(const QImage& frame, QSize size, bool soft_edge, QRect part)
{
    const size_t hash = frame.isNull()
                            ? 0
                            : qHashBits(frame.constBits(), size_t(frame.sizeInBytes()),
                                        size_t(frame.format()));
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.hash == hash && e.size == size && e.part == part && e.soft_edge == soft_edge && e.source == frame) {
            if (i != 0)
                entries_.move(i, 0);
            return entries_.front().shape;
        }
    }
    ++built_;
    entries_.prepend(Entry{hash, frame, size, part, soft_edge, make_frame_shape(frame, size, soft_edge, part)});
    bytes_ += bytes_of(entries_.front());
    while (entries_.size() > 1 && (entries_.size() > capacity_ || bytes_ > byte_budget_)) {
        bytes_ -= bytes_of(entries_.back());
        entries_.removeLast();
    }
    return entries_.front().shape;
}

qsizetype FrameShapeCache::bytes_of(const Entry& e)
{
    return e.source.sizeInBytes() + e.shape.image.sizeInBytes();
}

}  // namespace pw::agent::ui
