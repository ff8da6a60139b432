// Reading a character's source: poses and the rig. How animation descriptions turn into
// frames, branches and exits, and what bad sources are told, is in the cases.

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

class SourcesTest : public QObject {
    Q_OBJECT

private slots:
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
