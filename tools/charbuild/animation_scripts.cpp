#include "tools/charbuild/animation_scripts.h"

#include "tools/charbuild/source_json.h"

#include <QJsonValue>
#include <QPair>

namespace pw::charbuild {

namespace {

constexpr int max_use_depth = 8;
constexpr int default_duration = 10;
constexpr int default_tween_duration = 7;

Ease ease_from(const QString& text, const QString& where)
{
    if (text.isEmpty() || text == QStringLiteral("inout")) return Ease::InOut;
    if (text == QStringLiteral("in")) return Ease::In;
    if (text == QStringLiteral("out")) return Ease::Out;
    if (text == QStringLiteral("linear")) return Ease::Linear;
    source_error(where, QStringLiteral("\"ease\" must be linear, in, out or inout"));
}

}  // namespace

struct AnimationScripts::RawFrame {
    Pose pose;
    bool empty = false;
    int duration = default_duration;
    QString label;
    QList<QPair<QString, int>> branches;  // label, percent
    QString exit;                         // empty: the default
    bool mouth = false;
    QString sound;
    QString where;
    QString entry;
};

QString AnimationScripts::key_of(const QString& name) const
{
    return name.toLower();
}

bool AnimationScripts::contains(const QString& name) const
{
    return raw_.contains(key_of(name));
}

void AnimationScripts::add_file(const QString& path)
{
    const QJsonObject file = read_json_object(path);
    for (auto it = file.begin(); it != file.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('_'))) continue;  // notes for people
        if (!it.value().isObject())
            source_error(path, QStringLiteral("animation \"%1\" must be an object").arg(it.key()));
        add(it.key(), it.value().toObject(), path);
    }
}

void AnimationScripts::add(const QString& name, const QJsonObject& definition, const QString& where)
{
    if (contains(name)) return;
    names_ << name;
    raw_.insert(key_of(name), definition);
    origin_.insert(key_of(name), where + QStringLiteral(", animation ") + name);
}

QList<AnimationScripts::RawFrame> AnimationScripts::expand(const QJsonArray& entries, const QString& where,
                                                           int depth) const
{
    QList<RawFrame> out;
    int tween_d = default_tween_duration;
    int entry = 0;  // as the author counts them: the builder's own settings entry does not count
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject e = entries[i].toObject();
        if (e.contains(QStringLiteral("tween_default"))) {
            tween_d = int_field(e, QStringLiteral("tween_default"), tween_d, where);
            continue;
        }
        const QString entry_name = QStringLiteral("frame entry %1").arg(++entry);
        const QString here = where + QStringLiteral(", ") + entry_name;
        if (!entries[i].isObject()) source_error(here, QStringLiteral("must be an object"));
        const QString use = string_field(e, QStringLiteral("use"), QString(), here);
        if (!use.isEmpty()) {
            if (depth >= max_use_depth) source_error(here, QStringLiteral("\"use\" goes too deep (circular?)"));
            if (!contains(use)) source_error(here, QStringLiteral("\"use\" names an unknown animation %1").arg(use));
            const QJsonObject other = raw_.value(key_of(use));
            for (RawFrame f : expand(other.value(QStringLiteral("frames")).toArray(), origin_.value(key_of(use)),
                                     depth + 1)) {
                // Spliced frames keep their look and timing, not their jumps.
                f.label.clear();
                f.branches.clear();
                f.exit.clear();
                out << f;
            }
            continue;
        }
        RawFrame f;
        f.where = here;
        f.entry = entry_name;
        f.empty = bool_field(e, QStringLiteral("empty"), false, here);
        if (!f.empty) {
            if (!e.contains(QStringLiteral("pose"))) source_error(here, QStringLiteral("\"pose\" is missing"));
            f.pose = poses_.resolve(e.value(QStringLiteral("pose")), here);
        }
        f.duration = int_field(e, QStringLiteral("d"), default_duration, here);
        if (f.duration < 0 || f.duration > 65535 || (f.duration == 0 && !f.empty))
            source_error(here, QStringLiteral("\"d\" must be 1..65535 hundredths of a second (0 only for empty frames)"));
        f.label = string_field(e, QStringLiteral("label"), QString(), here);
        f.exit = string_field(e, QStringLiteral("exit"), QString(), here);
        f.mouth = bool_field(e, QStringLiteral("mouth"), false, here);
        if (f.mouth && f.empty) source_error(here, QStringLiteral("an empty frame cannot have a mouth"));
        f.sound = string_field(e, QStringLiteral("sound"), QString(), here);
        const QString loop = string_field(e, QStringLiteral("loop"), QString(), here);
        if (!loop.isEmpty()) f.branches << qMakePair(loop, 100);
        for (const QJsonValue& b : e.value(QStringLiteral("branch")).toArray()) {
            const QJsonArray pair = b.toArray();
            if (pair.size() != 2 || !pair[0].isString() || !pair[1].isDouble())
                source_error(here, QStringLiteral("each branch must be [label, percent]"));
            const int p = pair[1].toInt();
            if (p < 1 || p > 100) source_error(here, QStringLiteral("a branch percent must be 1..100"));
            f.branches << qMakePair(pair[0].toString(), p);
        }
        int total = 0;
        for (const auto& b : f.branches) total += b.second;
        if (total > 100) source_error(here, QStringLiteral("the branch percents add up to more than 100"));

        const int tweens = int_field(e, QStringLiteral("tween"), 0, here);
        if (tweens < 0 || tweens > 20) source_error(here, QStringLiteral("\"tween\" must be 0..20"));
        if (tweens > 0) {
            if (f.empty) source_error(here, QStringLiteral("an empty frame cannot be tweened to"));
            const RawFrame* prev = nullptr;
            for (qsizetype k = out.size() - 1; k >= 0 && !prev; --k)
                if (!out[k].empty) prev = &out[k];
            if (!prev) source_error(here, QStringLiteral("\"tween\" needs a frame before it"));
            const Pose from = prev->pose;
            const Ease how = ease_from(string_field(e, QStringLiteral("ease"), QString(), here), here);
            const int d = int_field(e, QStringLiteral("tween_d"), tween_d, here);
            if (d < 1) source_error(here, QStringLiteral("\"tween_d\" must be at least 1"));
            for (int k = 1; k <= tweens; ++k) {
                RawFrame t;
                t.where = here;
                t.entry = QStringLiteral("the in-betweens before ") + entry_name;
                t.pose = blend(from, f.pose, ease(how, double(k) / (tweens + 1)));
                t.duration = d;
                out << t;
            }
        }
        out << f;
    }
    return out;
}

AnimationSource AnimationScripts::build(const QString& name) const
{
    const QString key = key_of(name);
    if (!raw_.contains(key)) source_error(name, QStringLiteral("no such animation"));
    QJsonObject def = raw_.value(key);
    QString where = origin_.value(key);
    AnimationSource anim;
    anim.where = where;
    for (const QString& n : names_)
        if (key_of(n) == key) anim.name = n;  // as authored

    const QString copy = string_field(def, QStringLiteral("copy"), QString(), where);
    if (!copy.isEmpty()) {
        if (!contains(copy) || key_of(copy) == key) source_error(where, QStringLiteral("\"copy\" names an unknown animation"));
        def = raw_.value(key_of(copy));
        where = origin_.value(key_of(copy));
        if (def.contains(QStringLiteral("copy"))) source_error(where, QStringLiteral("a copy of a copy is not allowed"));
    }

    const QString transition = string_field(def, QStringLiteral("transition"), QStringLiteral("none"), where);
    if (transition == QStringLiteral("exit")) anim.transition = acs::Transition::ExitBranches;
    else if (transition == QStringLiteral("return")) anim.transition = acs::Transition::ReturnAnimation;
    else if (transition == QStringLiteral("none")) anim.transition = acs::Transition::None;
    else source_error(where, QStringLiteral("\"transition\" must be none, exit or return"));
    if (anim.transition == acs::Transition::ReturnAnimation) {
        anim.return_animation = required_string(def, QStringLiteral("return_animation"), where);
        if (!contains(anim.return_animation))
            source_error(where, QStringLiteral("\"return_animation\" names an unknown animation"));
    }

    QJsonArray main_entries = def.value(QStringLiteral("frames")).toArray();
    if (main_entries.isEmpty()) source_error(where, QStringLiteral("\"frames\" must be a non-empty list"));
    const int tween_d = int_field(def, QStringLiteral("tween_d"), default_tween_duration, where);
    main_entries.prepend(QJsonObject{{QStringLiteral("tween_default"), tween_d}});
    QJsonArray return_entries = def.value(QStringLiteral("return")).toArray();
    if (!return_entries.isEmpty()) return_entries.prepend(QJsonObject{{QStringLiteral("tween_default"), tween_d}});
    const QList<RawFrame> main_frames = expand(main_entries, where, 0);
    const QList<RawFrame> return_frames = expand(return_entries, where + QStringLiteral(" (return)"), 0);
    const QString default_exit = string_field(def, QStringLiteral("exit"), QString(), where);

    // Layout: with a return path, a skip frame jumps over it, so normal play never
    // sees the return frames.
    QList<RawFrame> all;
    const int first_return = return_frames.isEmpty() ? -1 : 1;
    const int first_main = return_frames.isEmpty() ? 0 : 1 + int(return_frames.size());
    if (!return_frames.isEmpty()) {
        RawFrame skip;
        skip.empty = true;
        skip.duration = 0;
        skip.exit = QStringLiteral("stop");
        all << skip;
        all << return_frames;
    }
    all << main_frames;
    if (all.size() > 65535) source_error(where, QStringLiteral("too many frames"));

    QMap<QString, int> labels;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i].label.isEmpty()) continue;
        if (labels.contains(all[i].label)) source_error(all[i].where, QStringLiteral("label \"%1\" is used twice").arg(all[i].label));
        labels.insert(all[i].label, int(i));
    }
    const auto target = [&](const QString& label, int at, const QString& here) -> int {
        if (label == QStringLiteral("stop")) return acs::exit_stop;
        if (label == QStringLiteral("none")) return acs::exit_none;
        if (label == QStringLiteral("next")) {
            if (at + 1 >= all.size()) source_error(here, QStringLiteral("\"next\" on the last frame"));
            return at + 1;
        }
        if (label == QStringLiteral("prev")) {
            if (at == 0) source_error(here, QStringLiteral("\"prev\" on the first frame"));
            return at - 1;
        }
        if (label == QStringLiteral("return")) {
            if (first_return < 0) source_error(here, QStringLiteral("\"return\" but the animation has no return frames"));
            return first_return;
        }
        if (!labels.contains(label)) source_error(here, QStringLiteral("unknown label \"%1\"").arg(label));
        return labels.value(label);
    };

    for (qsizetype i = 0; i < all.size(); ++i) {
        const RawFrame& r = all[i];
        const QString here = r.where.isEmpty() ? where : r.where;
        FrameSource f;
        f.pose = r.pose;
        f.empty = r.empty;
        f.duration = uint16_t(r.duration);
        f.mouth = r.mouth;
        f.sound = r.sound;
        f.where = here;
        const bool is_return = i >= first_return && first_return >= 0 && i < first_main;
        f.entry = r.entry.isEmpty() ? QStringLiteral("the skip frame") : is_return ? QStringLiteral("return ") + r.entry : r.entry;
        for (const auto& b : r.branches)
            f.branches << acs::Branch{uint16_t(target(b.first, int(i), here)), uint16_t(b.second)};
        QString exit = r.exit;
        if (exit.isEmpty() && i == 0 && first_return >= 0) exit = QStringLiteral("stop");
        if (exit.isEmpty() && is_return) exit = i + 1 < first_main ? QStringLiteral("next") : QStringLiteral("stop");
        if (exit.isEmpty() && !default_exit.isEmpty()) exit = default_exit;
        if (exit.isEmpty() && !r.empty && r.pose.is_rest()) exit = QStringLiteral("stop");
        if (exit.isEmpty()) exit = first_return >= 0 ? QStringLiteral("return") : QStringLiteral("none");
        f.exit_frame = int16_t(target(exit, int(i), here));
        anim.frames << f;
    }
    if (first_return > 0) anim.frames[0].branches = {acs::Branch{uint16_t(first_main), 100}};

    // Checks that keep a player from getting stuck.
    int shown = 0;
    for (const FrameSource& f : anim.frames) shown += f.empty ? 0 : f.duration;
    if (shown == 0) source_error(where, QStringLiteral("the animation shows nothing"));
    for (qsizetype i = 0; i < anim.frames.size(); ++i) {
        for (const acs::Branch& b : anim.frames[i].branches) {
            if (b.frame > i) continue;
            for (qsizetype k = b.frame; k <= i; ++k)
                if (anim.frames[k].exit_frame == acs::exit_none)
                    source_error(where, QStringLiteral("frame %1 loops back, but frame %2 inside the loop has no exit; "
                                                       "give it an \"exit\" or the animation \"return\" frames")
                                            .arg(i).arg(k));
        }
    }
    if (anim.transition == acs::Transition::ExitBranches && anim.frames.last().exit_frame == acs::exit_none)
        source_error(where, QStringLiteral("\"transition\": \"exit\" needs an exit on the last frame"));
    return anim;
}

}  // namespace pw::charbuild
