#include "tools/charbuild/pose.h"

#include <QStringList>

namespace pw::charbuild {

bool Pose::is_rest() const
{
    for (const PartPose& p : parts)
        if (!p.is_rest()) return false;
    return true;
}

QString Pose::key() const
{
    QStringList items;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        const PartPose& p = it.value();
        if (p.is_rest()) continue;
        items << QStringLiteral("%1:%2,%3,%4,%5,%6,%7,%8")
                     .arg(it.key())
                     .arg(p.rot, 0, 'g', 6)
                     .arg(p.dx, 0, 'g', 6)
                     .arg(p.dy, 0, 'g', 6)
                     .arg(p.sx, 0, 'g', 6)
                     .arg(p.sy, 0, 'g', 6)
                     .arg(p.art)
                     .arg(p.on ? (*p.on ? QStringLiteral("on") : QStringLiteral("off")) : QString());
    }
    return items.join(QLatin1Char(';'));
}

double ease(Ease e, double t)
{
    switch (e) {
    case Ease::Linear: return t;
    case Ease::In: return t * t;
    case Ease::Out: return 1 - (1 - t) * (1 - t);
    case Ease::InOut: return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    }
    return t;
}

Pose blend(const Pose& from, const Pose& to, double t)
{
    const auto mix = [t](double a, double b) { return a + (b - a) * t; };
    Pose out;
    QStringList names = from.parts.keys();
    for (const QString& n : to.parts.keys())
        if (!from.parts.contains(n)) names << n;
    for (const QString& n : names) {
        const PartPose a = from.part(n);
        const PartPose b = to.part(n);
        PartPose p;
        p.rot = mix(a.rot, b.rot);
        p.dx = mix(a.dx, b.dx);
        p.dy = mix(a.dy, b.dy);
        p.sx = mix(a.sx, b.sx);
        p.sy = mix(a.sy, b.sy);
        const PartPose& discrete = t < 0.5 ? a : b;
        p.art = discrete.art;
        p.on = discrete.on;
        if (!p.is_rest()) out.parts.insert(n, p);
    }
    return out;
}

}  // namespace pw::charbuild
