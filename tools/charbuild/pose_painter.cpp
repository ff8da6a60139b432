#include "tools/charbuild/pose_painter.h"

#include "tools/charbuild/source_json.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

namespace pw::charbuild {

PosePainter::PosePainter(const Rig& rig, QSize frame, QPointF offset) : rig_(rig), frame_(frame), offset_(offset) {}

PosePainter::~PosePainter() = default;

QSvgRenderer& PosePainter::renderer(const QString& file) const
{
    auto it = renderers_.find(file);
    if (it == renderers_.end()) {
        auto r = std::make_shared<QSvgRenderer>(file);
        if (!r->isValid()) source_error(file, QStringLiteral("not a drawing QSvgRenderer can read"));
        it = renderers_.insert(file, r);
    }
    return **it;
}

QTransform PosePainter::to_frame(const QTransform& part) const
{
    return part * QTransform::fromTranslate(offset_.x(), offset_.y());
}

QImage PosePainter::paint(const Pose& pose) const
{
    QList<int> all;
    for (int i = 0; i < rig_.parts().size(); ++i) all << i;
    return paint_parts(pose, all, QRect(QPoint(0, 0), frame_));
}

QImage PosePainter::paint_parts(const Pose& pose, const QList<int>& parts, const QRect& area) const
{
    const QList<QTransform> where = rig_.transforms(pose);
    const QStringList files = rig_.drawings(pose);
    QList<QPair<QString, QTransform>> drawings;
    for (const int i : parts)
        if (!files[i].isEmpty()) drawings << qMakePair(files[i], to_frame(where[i]));
    return paint_drawings(drawings, area);
}

QImage PosePainter::paint_drawings(const QList<QPair<QString, QTransform>>& drawings, const QRect& area) const
{
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QTransform to_area = QTransform::fromTranslate(-area.x(), -area.y());
    for (const auto& [file, transform] : drawings) {
        QSvgRenderer& svg = renderer(file);
        painter.setTransform(transform * to_area);
        svg.render(&painter, svg.viewBoxF());
    }
    return image;
}

QRectF PosePainter::drawn_bounds(const QString& file) const
{
    if (const auto it = bounds_.constFind(file); it != bounds_.cend()) return *it;
    // Drawings may reach past their viewBox, so look well beyond it.
    QSvgRenderer& svg = renderer(file);
    const QRectF box = svg.viewBoxF();
    const int margin = int(std::max(box.width(), box.height()));
    QImage image((box.size() + QSizeF(2 * margin, 2 * margin)).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(margin, margin);
        svg.render(&painter, box);
    }
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    const QRectF bounds = right < 0 ? QRectF() : QRectF(box.x() + left - margin, box.y() + top - margin,
                                                        right - left + 1, bottom - top + 1);
    bounds_.insert(file, bounds);
    return bounds;
}

}  // namespace pw::charbuild
