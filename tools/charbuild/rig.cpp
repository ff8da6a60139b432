#include "tools/charbuild/rig.h"

#include "tools/charbuild/source_json.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace pw::charbuild {

namespace {

QPointF point_field(const QJsonObject& o, const QString& key, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return {};
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 2 || !a[0].isDouble() || !a[1].isDouble())
        source_error(where, QStringLiteral("\"%1\" must be [x, y]").arg(key));
    return {a[0].toDouble(), a[1].toDouble()};
}

}  // namespace

Rig Rig::from_json(const QJsonObject& json, const QString& dir, const QString& where)
{
    Rig rig;
    const QJsonValue parts = json.value(QStringLiteral("parts"));
    if (!parts.isArray() || parts.toArray().isEmpty())
        source_error(where, QStringLiteral("\"parts\" must be a list of parts"));
    for (const QJsonValue& pv : parts.toArray()) {
        if (!pv.isObject()) source_error(where, QStringLiteral("every part must be an object"));
        const QJsonObject o = pv.toObject();
        RigPart p;
        p.name = required_string(o, QStringLiteral("name"), where);
        const QString here = where + QStringLiteral(", part ") + p.name;
        if (rig.index_of(p.name) >= 0) source_error(here, QStringLiteral("the name is used twice"));
        p.parent = string_field(o, QStringLiteral("parent"), QString(), here);
        p.pivot = point_field(o, QStringLiteral("pivot"), here);
        p.shown = !bool_field(o, QStringLiteral("hidden"), false, here);
        p.ground = bool_field(o, QStringLiteral("ground"), false, here);
        const QJsonValue art = o.value(QStringLiteral("art"));
        if (art.isString()) {
            p.default_art = QStringLiteral("main");
            p.art.insert(p.default_art, art.toString());
        } else if (art.isObject()) {
            const QJsonObject arts = art.toObject();
            for (auto it = arts.begin(); it != arts.end(); ++it) {
                if (!it.value().isString())
                    source_error(here, QStringLiteral("drawing \"%1\" must name an SVG file").arg(it.key()));
                p.art.insert(it.key(), it.value().toString());
            }
            p.default_art = string_field(o, QStringLiteral("default"), QString(), here);
            if (p.default_art.isEmpty() && p.art.size() == 1) p.default_art = p.art.firstKey();
            if (!p.art.contains(p.default_art))
                source_error(here, QStringLiteral("\"default\" must name one of its drawings"));
        } else if (!art.isUndefined()) {
            source_error(here, QStringLiteral("\"art\" must be a file name or an object of drawings"));
        }
        for (auto it = p.art.begin(); it != p.art.end(); ++it) {
            const QString path = QDir(dir).filePath(it.value());
            if (!QFileInfo(path).isFile())
                source_error(here, QStringLiteral("drawing file %1 does not exist").arg(it.value()));
            it.value() = path;
        }
        const QJsonObject only = o.value(QStringLiteral("only_with")).toObject();
        if (!only.isEmpty()) {
            p.only_with_part = only.begin().key();
            for (const QJsonValue& a : only.begin().value().toArray()) p.only_with_art << a.toString();
        }
        rig.parts_ << p;
    }
    // Parents must exist and must not form a circle.
    for (const RigPart& p : rig.parts_) {
        QString at = p.parent;
        int steps = 0;
        while (!at.isEmpty()) {
            const RigPart* parent = rig.part(at);
            if (!parent) source_error(where, QStringLiteral("part %1: unknown parent %2").arg(p.name, at));
            if (++steps > rig.parts_.size()) source_error(where, QStringLiteral("part %1: its parents form a circle").arg(p.name));
            at = parent->parent;
        }
        if (!p.only_with_part.isEmpty()) {
            const RigPart* other = rig.part(p.only_with_part);
            if (!other) source_error(where, QStringLiteral("part %1: \"only_with\" names an unknown part").arg(p.name));
            for (const QString& a : p.only_with_art)
                if (!other->art.contains(a))
                    source_error(where, QStringLiteral("part %1: \"only_with\" names an unknown drawing %2").arg(p.name, a));
        }
    }
    return rig;
}

int Rig::index_of(const QString& name) const
{
    for (qsizetype i = 0; i < parts_.size(); ++i)
        if (parts_[i].name == name) return int(i);
    return -1;
}

const RigPart* Rig::part(const QString& name) const
{
    const int i = index_of(name);
    return i < 0 ? nullptr : &parts_[i];
}

QList<QTransform> Rig::transforms(const Pose& pose) const
{
    QList<QTransform> world(parts_.size());
    QList<bool> done(parts_.size(), false);
    // Parents may come after their children in drawing order, so resolve on demand.
    const auto resolve = [&](auto&& self, int i) -> QTransform {
        if (done[i]) return world[i];
        const RigPart& p = parts_[i];
        const PartPose pp = pose.part(p.name);
        QTransform local;
        local.translate(p.pivot.x() + pp.dx, p.pivot.y() + pp.dy);
        local.rotate(pp.rot);
        local.scale(pp.sx, pp.sy);
        local.translate(-p.pivot.x(), -p.pivot.y());
        world[i] = p.parent.isEmpty() ? local : local * self(self, index_of(p.parent));
        done[i] = true;
        return world[i];
    };
    for (int i = 0; i < parts_.size(); ++i) resolve(resolve, i);
    return world;
}

QString Rig::art_of(const Pose& pose, const QString& part_name) const
{
    const RigPart* p = part(part_name);
    if (!p) return {};
    const QString a = pose.part(part_name).art;
    return a.isEmpty() ? p->default_art : a;
}

QStringList Rig::drawings(const Pose& pose) const
{
    QStringList files;
    for (const RigPart& p : parts_) {
        const PartPose pp = pose.part(p.name);
        bool shown = pp.on.value_or(p.shown);
        if (shown && !p.only_with_part.isEmpty())
            shown = p.only_with_art.contains(art_of(pose, p.only_with_part));
        // A part hidden by a pose hides what hangs from it too.
        for (QString at = p.parent; shown && !at.isEmpty(); at = part(at)->parent) {
            const RigPart* parent = part(at);
            shown = pose.part(at).on.value_or(parent->shown);
        }
        files << (shown ? p.art.value(art_of(pose, p.name)) : QString());
    }
    return files;
}

Pose Rig::normalised(const Pose& pose, const QString& where) const
{
    Pose out;
    for (auto it = pose.parts.cbegin(); it != pose.parts.cend(); ++it) {
        const RigPart* p = part(it.key());
        if (!p) source_error(where, QStringLiteral("unknown part %1").arg(it.key()));
        PartPose pp = it.value();
        if (!pp.art.isEmpty() && !p->art.contains(pp.art))
            source_error(where, QStringLiteral("part %1 has no drawing \"%2\"").arg(it.key(), pp.art));
        if (pp.art == p->default_art) pp.art.clear();
        if (pp.on && *pp.on == p->shown) pp.on.reset();
        if (!pp.is_rest()) out.parts.insert(it.key(), pp);
    }
    return out;
}

}  // namespace pw::charbuild
