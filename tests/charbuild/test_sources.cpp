// Reading a character's source: poses, the rig, and how animation descriptions turn
// into frames, branches and exits. What bad sources are told is in the cases.

#include "tiny_source.h"
#include "tools/charbuild/character_builder.h"
#include "tools/charbuild/character_source.h"
#include "tools/charbuild/pose_library.h"
#include "tests/test_classes.h"
#include "tests/thrown_error.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace pw;
using namespace pw::charbuild;

namespace {

const AnimationSource& find(const CharacterSource& src, const QString& name)
{
    for (const AnimationSource& a : src.animations)
        if (a.name == name) return a;
    qFatal("no animation %s", qPrintable(name));
}

}  // namespace

class SourcesTest : public QObject {
    Q_OBJECT

private slots:
    void return_frames_are_skipped_in_play_and_chained_for_exits()
    {
        TinySource tiny;
        tiny.add_animations(R"("Loop": {
            "frames": [ { "pose": "rest", "d": 5 }, { "pose": "hop", "d": 6, "label": "a" },
                        { "pose": "hatted", "d": 7, "loop": "a" } ],
            "return": [ { "pose": "hop", "d": 4 }, { "pose": "rest", "d": 3 } ] })");
        const CharacterSource src = load_character_source(tiny.path());
        const AnimationSource& a = find(src, QStringLiteral("Loop"));
        QCOMPARE(a.frames.size(), 6);
        // 0: the skip frame jumps straight to the first real frame.
        QVERIFY(a.frames[0].empty);
        QCOMPARE(a.frames[0].duration, 0);
        QCOMPARE(a.frames[0].branches, (QList<acs::Branch>{{3, 100}}));
        // 1, 2: the way back to rest, each leading to the next, the last one ending it.
        QCOMPARE(a.frames[1].exit_frame, 2);
        QCOMPARE(a.frames[2].exit_frame, acs::exit_stop);
        // 3: already at rest, so an interruption just stops.
        QCOMPARE(a.frames[3].exit_frame, acs::exit_stop);
        // 4, 5: the loop; both leave through the return frames.
        QCOMPARE(a.frames[4].exit_frame, 1);
        QCOMPARE(a.frames[5].exit_frame, 1);
        QCOMPARE(a.frames[5].branches, (QList<acs::Branch>{{4, 100}}));
        QCOMPARE(a.frames[5].duration, 7);
    }

    void tweens_blend_between_keys_and_defaults_apply()
    {
        TinySource tiny;
        tiny.add_animations(R"("Tw": { "frames": [ { "pose": "rest", "d": 5 },
            { "pose": "hop", "tween": 3, "tween_d": 4, "ease": "linear", "d": 9 },
            { "pose": "rest", "d": 5 }, { "pose": "rest", "d": 5, "exit": "prev" } ] },
            "Copy": { "copy": "Tw" },
            "Use": { "frames": [ { "use": "Tw" }, { "pose": "hatted", "d": 2, "exit": "next" }, { "pose": "rest" } ] })");
        const CharacterSource src = load_character_source(tiny.path());
        const AnimationSource& tw = find(src, QStringLiteral("Tw"));
        QCOMPARE(tw.frames.size(), 7);
        const QList<double> dy = {0, -0.75, -1.5, -2.25, -3, 0, 0};
        for (int i = 0; i < 7; ++i) QCOMPARE(tw.frames[i].pose.part(QStringLiteral("body")).dy, dy[i]);
        QCOMPARE(tw.frames[2].duration, 4);
        QCOMPARE(tw.frames[4].duration, 9);
        // Without return frames a moving frame plays on when interrupted, a rest frame stops.
        QCOMPARE(tw.frames[2].exit_frame, acs::exit_none);
        QCOMPARE(tw.frames[0].exit_frame, acs::exit_stop);
        QCOMPARE(tw.frames[6].exit_frame, 5);

        const AnimationSource& copy = find(src, QStringLiteral("Copy"));
        QCOMPARE(copy.frames.size(), tw.frames.size());
        QCOMPARE(copy.frames[3].pose, tw.frames[3].pose);

        // Spliced frames keep poses and timing but drop their own exits.
        const AnimationSource& use = find(src, QStringLiteral("Use"));
        QCOMPARE(use.frames.size(), 9);
        QCOMPARE(use.frames[6].exit_frame, acs::exit_stop);
        QCOMPARE(use.frames[7].exit_frame, 8);
        QCOMPARE(use.frames[8].duration, 10);
    }

    void animations_are_sorted_and_names_keep_their_case()
    {
        TinySource tiny;
        tiny.add_animations(R"("zebra": { "frames": [ { "pose": "rest" } ] }, "Apple": { "frames": [ { "pose": "rest" } ] })");
        const CharacterSource src = load_character_source(tiny.path());
        QStringList names;
        for (const AnimationSource& a : src.animations) names << a.name;
        QCOMPARE(names, (QStringList{"Apple", "Hide", "RestPose", "Show", "Walk", "zebra"}));
        // State lists are stored in capitals, as other character files do.
        QCOMPARE(src.states.size(), 4);
        for (const acs::State& s : src.states) QCOMPARE(s.name, s.name.toUpper());
    }

    void poses_build_on_each_other_and_compare_by_look()
    {
        TinySource tiny;
        const CharacterSource src = load_character_source(tiny.path());
        PoseLibrary poses(src.rig);
        poses.add_file(tiny.file(QStringLiteral("poses.json")));
        const Pose hop_hat = poses.named(QStringLiteral("hop_hat"), QStringLiteral("test"));
        QCOMPARE(hop_hat.part(QStringLiteral("body")).dy, -3.0);
        QCOMPARE(hop_hat.part(QStringLiteral("hat")).on, std::optional<bool>(true));
        // Naming the default drawing or visibility is the same as saying nothing.
        const QJsonObject same_as_rest = QJsonDocument::fromJson(
            R"({ "mouth": { "art": "m0" }, "hat": { "on": false }, "body": { "rot": 0 } })").object();
        QVERIFY(poses.resolve(same_as_rest, QStringLiteral("test")).is_rest());
        const QJsonObject half = QJsonDocument::fromJson(R"({ "blend": ["rest", "hop_hat"], "t": 0.25 })").object();
        const Pose quarter = poses.resolve(half, QStringLiteral("test"));
        QCOMPARE(quarter.part(QStringLiteral("body")).dy, -0.75);
        QVERIFY(!quarter.part(QStringLiteral("hat")).on.has_value());  // switches half way
    }

    void rig_carries_children_and_hides_them_with_their_parent()
    {
        TinySource tiny;
        const CharacterSource src = load_character_source(tiny.path());
        const Rig& rig = src.rig;
        Pose turned;
        turned.parts.insert(QStringLiteral("body"), PartPose{90, 0, 0, 1, 1, {}, {}});
        turned.parts.insert(QStringLiteral("mouth"), PartPose{0, 2, 0, 1, 1, {}, {}});
        const QList<QTransform> t = rig.transforms(turned);
        // The mouth's pivot, 8 above the body's pivot and moved 2 to the right, turns a
        // quarter clockwise around the body's pivot.
        const QPointF p = t[rig.index_of(QStringLiteral("mouth"))].map(QPointF(20, 28));
        QVERIFY(qAbs(p.x() - 28) < 1e-9 && qAbs(p.y() - 38) < 1e-9);

        QVERIFY(rig.drawings(Pose{}).at(rig.index_of(QStringLiteral("hat"))).isEmpty());
        Pose hat;
        hat.parts.insert(QStringLiteral("hat"), PartPose{0, 0, 0, 1, 1, {}, true});
        QVERIFY(!rig.drawings(hat).at(rig.index_of(QStringLiteral("hat"))).isEmpty());
        Pose gone;
        gone.parts.insert(QStringLiteral("body"), PartPose{0, 0, 0, 1, 1, {}, false});
        for (const QString& f : rig.drawings(gone)) QVERIFY(f.isEmpty());
    }

    void missing_folder_or_file_is_not_found()
    {
        const auto folder = pw::test::thrown_error([] { load_character_source(QStringLiteral("/nonexistent/folder")); });
        QCOMPARE(folder.number(), agent::error::file_not_found);
        TinySource tiny;
        QFile::remove(tiny.file(QStringLiteral("character.json")));
        const auto file = pw::test::thrown_error([&] { load_character_source(tiny.path()); });
        QCOMPARE(file.number(), agent::error::file_not_found);
        QVERIFY(file.text().contains(QStringLiteral("character.json")));
    }
};

PW_TEST_CLASS(SourcesTest);
#include "test_sources.moc"
