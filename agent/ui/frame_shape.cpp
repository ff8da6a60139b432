#include "agent/ui/frame_shape.h"

#include <QBitmap>
#include <QHashFunctions>

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

FrameShape make_frame_shape(const QImage& frame, QSize size)
{
    if (frame.isNull() || size.isEmpty())
        return {};
    QImage scaled = frame.size() == size
                        ? frame
                        : frame.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    FrameShape shape;
    shape.image = harden_alpha(scaled);
    shape.region = alpha_region(shape.image);
    return shape;
}

const FrameShape& FrameShapeCache::shape_for(const QImage& frame, QSize size)
{
    const size_t hash = frame.isNull()
                            ? 0
                            : qHashBits(frame.constBits(), size_t(frame.sizeInBytes()),
                                        size_t(frame.format()));
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.hash == hash && e.size == size && e.source == frame) {
            if (i != 0)
                entries_.move(i, 0);
            return entries_.front().shape;
        }
    }
    ++built_;
    entries_.prepend(Entry{hash, frame, size, make_frame_shape(frame, size)});
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
