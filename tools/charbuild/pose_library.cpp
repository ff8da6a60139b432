#include "tools/charbuild/pose_library.h"

#include "tools/charbuild/source_json.h"

#include <QJsonArray>

namespace pw::charbuild {

namespace {

constexpr int max_base_depth = 32;

void apply_part(PartPose& p, const QJsonObject& o, const QString& where)
{
    static const QStringList known = {QStringLiteral("rot"), QStringLiteral("dx"), QStringLiteral("dy"),
                                      QStringLiteral("sx"), QStringLiteral("sy"), QStringLiteral("s"),
                                      QStringLiteral("art"), QStringLiteral("on")};
    for (const QString& k : o.keys())
        if (!known.contains(k)) source_error(where, QStringLiteral("unknown field \"%1\"").arg(k));
    p.rot = number_field(o, QStringLiteral("rot"), p.rot, where);
    p.dx = number_field(o, QStringLiteral("dx"), p.dx, where);
    p.dy = number_field(o, QStringLiteral("dy"), p.dy, where);
    if (o.contains(QStringLiteral("s"))) p.sx = p.sy = number_field(o, QStringLiteral("s"), 1, where);
    p.sx = number_field(o, QStringLiteral("sx"), p.sx, where);
    p.sy = number_field(o, QStringLiteral("sy"), p.sy, where);
    if (o.contains(QStringLiteral("art"))) p.art = string_field(o, QStringLiteral("art"), QString(), where);
    if (o.contains(QStringLiteral("on"))) p.on = bool_field(o, QStringLiteral("on"), true, where);
}

}  // namespace

void PoseLibrary::add_file(const QString& path)
{
    const QJsonObject file = read_json_object(path);
    for (auto it = file.begin(); it != file.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('_'))) continue;  // notes for people
        if (!it.value().isObject()) source_error(path, QStringLiteral("pose \"%1\" must be an object").arg(it.key()));
        add(it.key(), it.value().toObject(), path);
    }
}

void PoseLibrary::add(const QString& name, const QJsonObject& definition, const QString& where)
{
    if (raw_.contains(name)) return;
    raw_.insert(name, definition);
    origin_.insert(name, where + QStringLiteral(", pose ") + name);
}

void PoseLibrary::check_all() const
{
    for (auto it = raw_.cbegin(); it != raw_.cend(); ++it) named(it.key(), origin_.value(it.key()));
}

Pose PoseLibrary::resolve(const QJsonValue& value, const QString& where) const
{
    if (value.isString()) return named(value.toString(), where);
    if (value.isObject()) return build(value.toObject(), where, 0);
    if (value.isUndefined()) return {};
    source_error(where, QStringLiteral("a pose must be a pose name or an object"));
}

Pose PoseLibrary::named(const QString& name, const QString& where) const
{
    return named_at_depth(name, where, 0);
}

Pose PoseLibrary::named_at_depth(const QString& name, const QString& where, int depth) const
{
    if (name == QStringLiteral("rest")) return {};
    if (const auto it = cache_.constFind(name); it != cache_.cend()) return *it;
    if (!raw_.contains(name)) source_error(where, QStringLiteral("unknown pose \"%1\"").arg(name));
    const Pose pose = build(raw_.value(name), origin_.value(name), depth);
    cache_.insert(name, pose);
    return pose;
}

Pose PoseLibrary::build(const QJsonObject& definition, const QString& where, int depth) const
{
    if (depth > max_base_depth) source_error(where, QStringLiteral("the chain of \"base\" poses is circular or too long"));
    Pose pose;
    const QJsonValue mix = definition.value(QStringLiteral("blend"));
    if (!mix.isUndefined()) {
        // { "blend": ["a", "b"], "t": 0.5 }: part way from one pose to another.
        const QJsonArray ab = mix.toArray();
        if (ab.size() != 2 || !ab[0].isString() || !ab[1].isString())
            source_error(where, QStringLiteral("\"blend\" must name two poses"));
        const double t = number_field(definition, QStringLiteral("t"), 0.5, where);
        if (t < 0 || t > 1) source_error(where, QStringLiteral("\"t\" must be 0..1"));
        pose = blend(named_at_depth(ab[0].toString(), where, depth + 1), named_at_depth(ab[1].toString(), where, depth + 1), t);
        if (definition.contains(QStringLiteral("base"))) source_error(where, QStringLiteral("use either \"blend\" or \"base\""));
    }
    const QJsonValue base = definition.value(QStringLiteral("base"));
    if (base.isString()) pose = named_at_depth(base.toString(), where, depth + 1);
    else if (!base.isUndefined()) source_error(where, QStringLiteral("\"base\" must be a pose name"));
    for (auto it = definition.begin(); it != definition.end(); ++it) {
        if (it.key() == QStringLiteral("base") || it.key() == QStringLiteral("blend") || it.key() == QStringLiteral("t") ||
            it.key().startsWith(QLatin1Char('_')))
            continue;
        if (!it.value().isObject())
            source_error(where, QStringLiteral("part \"%1\" must be an object of changes").arg(it.key()));
        PartPose p = pose.part(it.key());
        apply_part(p, it.value().toObject(), where + QStringLiteral(", part ") + it.key());
        pose.parts.insert(it.key(), p);
    }
    return rig_.normalised(pose, where);
}

}  // namespace pw::charbuild
