#include "tools/charbuild/motion_checks.h"

#include "tools/charbuild/source_json.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace pw::charbuild {

namespace {

// A step this much bigger than the loop's own steps is a visible jump.
constexpr double seam_allowance = 1.25;
constexpr double seam_slack_px = 0.5;

// The frame normal play moves to after `i`, following only sure jumps.
int next_in_play(const AnimationSource& a, int i)
{
    for (const acs::Branch& b : a.frames[i].branches)
        if (b.probability == 100) return b.frame;
    return i + 1;
}

bool shown(const FrameSource& f)
{
    return f.duration > 0;
}

// The last frame shown when the animation plays without interruption; -1 when it
// goes on for ever.
int play_end(const AnimationSource& a)
{
    int last = 0;
    QSet<int> seen;
    for (int i = 0; i < a.frames.size(); i = next_in_play(a, i)) {
        if (seen.contains(i)) return -1;
        seen.insert(i);
        if (shown(a.frames[i])) last = i;
    }
    return last;
}

// Where an interruption at frame `i` leaves the character: the last frame shown while
// following exits; -1 when the exits never end.
int exit_walk_end(const AnimationSource& a, int i)
{
    int last = i;
    for (int steps = 0; steps <= 4 * a.frames.size(); ++steps) {
        const int16_t exit = a.frames[i].exit_frame;
        const int next = exit >= 0 ? exit : exit == acs::exit_stop ? int(a.frames.size()) : next_in_play(a, i);
        if (next >= a.frames.size()) return last;
        i = next;
        if (shown(a.frames[i])) last = i;
    }
    return -1;
}

bool at_rest(const FrameSource& f)
{
    return !f.empty && f.pose.is_rest();
}

void check_returns(const AnimationSource& a, bool hides)
{
    const int end = play_end(a);
    if (end >= 0 && a.transition == acs::Transition::None && !a.frames[end].empty && !at_rest(a.frames[end]))
        source_error(a.frames[end].where,
                     QStringLiteral("played through, the animation ends here, away from the rest pose; end it at "
                                    "\"rest\", or hold the pose with \"transition\": \"exit\" and \"return\" frames"));
    if (hides || a.transition == acs::Transition::ReturnAnimation) return;
    for (int i = 0; i < a.frames.size(); ++i) {
        if (!shown(a.frames[i]) || a.frames[i].empty) continue;
        const int stop = exit_walk_end(a, i);
        if (stop < 0) source_error(a.frames[i].where, QStringLiteral("interrupted here, its exits never end"));
        if (!at_rest(a.frames[stop]))
            source_error(a.frames[i].where,
                         QStringLiteral("interrupted here, it stops at %1, away from the rest pose; give the "
                                        "animation \"return\" frames that end at rest")
                             .arg(a.frames[stop].entry));
    }
}

void check_loop_seams(const Rig& rig, const AnimationSource& a)
{
    for (int i = 0; i < a.frames.size(); ++i) {
        for (const acs::Branch& b : a.frames[i].branches) {
            if (b.frame > i || b.probability != 100) continue;
            QList<int> loop;
            for (int k = b.frame; k <= i; ++k)
                if (shown(a.frames[k]) && !a.frames[k].empty) loop << k;
            if (loop.size() < 2) continue;  // a held pose
            double biggest_step = 0;
            for (qsizetype k = 0; k + 1 < loop.size(); ++k)
                biggest_step = std::max(biggest_step, pose_distance(rig, a.frames[loop[k]].pose, a.frames[loop[k + 1]].pose));
            const FrameSource& first = a.frames[loop.first()];
            const FrameSource& last = a.frames[loop.last()];
            const double seam = pose_distance(rig, last.pose, first.pose);
            if (seam < seam_slack_px)
                source_error(last.where, QStringLiteral("the loop's last frame looks like its first, %1, so the loop "
                                                        "stutters; leave the repeat out")
                                             .arg(first.entry));
            if (seam > biggest_step * seam_allowance + seam_slack_px)
                source_error(last.where, QStringLiteral("the loop jumps %1 px from its last frame back to its first, "
                                                        "%2, but its other steps move at most %3 px; its last frame "
                                                        "must lead into its first")
                                             .arg(seam, 0, 'f', 1)
                                             .arg(first.entry)
                                             .arg(biggest_step, 0, 'f', 1));
        }
    }
}

}  // namespace

double pose_distance(const Rig& rig, const Pose& a, const Pose& b)
{
    // Points around each drawn part's pivot stand in for the part: they follow its
    // turns, stretches and moves, and those of everything it hangs from.
    static const QList<QPointF> around = {{0, 0}, {-16, -16}, {16, -16}, {-16, 16}, {16, 16}};
    const QList<QTransform> ta = rig.transforms(a);
    const QList<QTransform> tb = rig.transforms(b);
    const QStringList da = rig.drawings(a);
    const QStringList db = rig.drawings(b);
    double most = 0;
    for (qsizetype i = 0; i < rig.parts().size(); ++i) {
        if (da[i].isEmpty() || db[i].isEmpty()) continue;
        for (const QPointF& d : around) {
            const QPointF p = rig.parts()[i].pivot + d;
            const QPointF moved = ta[i].map(p) - tb[i].map(p);
            most = std::max(most, std::hypot(moved.x(), moved.y()));
        }
    }
    return most;
}

void check_motion(const CharacterSource& source)
{
    QStringList hiding;
    QStringList moving;
    for (const acs::State& s : source.states) {
        if (s.name == QStringLiteral("HIDING")) hiding << s.animations;
        if (s.name.startsWith(QStringLiteral("MOVING"))) moving << s.animations;
    }
    for (const AnimationSource& a : source.animations) {
        const QString upper = a.name.toUpper();
        check_returns(a, hiding.contains(upper));
        if (moving.contains(upper)) check_loop_seams(source.rig, a);
    }
}

}  // namespace pw::charbuild
