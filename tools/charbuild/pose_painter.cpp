#include "tools/charbuild/pose_painter.h"

#include "tools/charbuild/source_json.h"

#include <QPainter>
#include <QSvgRenderer>

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

QImage PosePainter::paint(const Pose& pose) const
{
    QImage image(frame_, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QList<QTransform> where = rig_.transforms(pose);
    const QStringList files = rig_.drawings(pose);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QTransform to_frame = QTransform::fromTranslate(offset_.x(), offset_.y());
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files[i].isEmpty()) continue;
        QSvgRenderer& svg = renderer(files[i]);
        painter.setTransform(where[i] * to_frame);
        svg.render(&painter, svg.viewBoxF());
    }
    return image;
}

}  // namespace pw::charbuild
