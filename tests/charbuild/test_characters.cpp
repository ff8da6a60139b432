// Our shipped characters, built from their source folders: the states the program plays
// must be there, speaking must work in the poses that allow it, and left must be the
// screen's left. That every animation gets back to rest the builder checks itself.

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"
#include "tools/charbuild/character_builder.h"
#include "tests/test_classes.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QTest>

using namespace pw;

namespace {

const QStringList state_names = {
    "Showing", "Hiding", "Speaking", "MovingLeft", "MovingRight", "MovingUp", "MovingDown",
    "GesturingLeft", "GesturingRight", "GesturingUp", "GesturingDown", "IdlingLevel1", "IdlingLevel2",
    "IdlingLevel3", "Listening", "Hearing"};

struct Built {
    QString folder;
    acs::CharacterData data;
};

QMap<QString, Built>& characters()
{
    static QMap<QString, Built> built;
    return built;
}

bool loops(const acs::Animation& a)
{
    for (qsizetype i = 0; i < a.frames.size(); ++i)
        for (const acs::Branch& b : a.frames[i].branches)
            if (b.frame <= i) return true;
    return false;
}

}  // namespace

class CharactersTest : public QObject {
    Q_OBJECT

    static void each_character_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& n : characters().keys()) QTest::newRow(qPrintable(n)) << n;
    }

private slots:
    void initTestCase()
    {
        const QDir root(QStringLiteral(PW_CHARACTERS_SOURCE_DIR));
        for (const QString& sub : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (!QFileInfo::exists(root.filePath(sub + QStringLiteral("/character.json")))) continue;
            Built b;
            b.folder = root.filePath(sub);
            b.data = charbuild::build_character(b.folder);
            characters().insert(b.data.name(), b);
        }
        QVERIFY(characters().contains(QStringLiteral("Pellwick")));
        QVERIFY2(characters().size() >= 2, "Pellwick and a friend");
    }

    void states_name_animations_that_exist_data() { each_character_data(); }
    void states_name_animations_that_exist()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        for (const QString& s : state_names) {
            const acs::State* state = d.state(s);
            QVERIFY2(state && !state->animations.isEmpty(), qPrintable(s));
            for (const QString& a : state->animations) QVERIFY2(d.animation(a), qPrintable(s + " -> " + a));
        }
        QVERIFY(d.style_flags & acs::style::standard_animation_set);
        // Idling ends in something that goes on until a request comes.
        bool level3_loops = false;
        for (const QString& a : d.state(QStringLiteral("IdlingLevel3"))->animations) level3_loops |= loops(*d.animation(a));
        QVERIFY(level3_loops);
    }

    void speaking_frames_have_every_mouth_data() { each_character_data(); }
    void speaking_frames_have_every_mouth()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        QStringList speakers = d.state(QStringLiteral("Speaking"))->animations;
        speakers << "GestureLeft" << "GestureRight" << "GestureUp" << "GestureDown" << "LookLeft" << "LookRight"
                 << "LookUp" << "LookDown" << "ReadContinued" << "WriteContinued";
        for (const QString& s : speakers) {
            const acs::Frame& last = d.animation(s)->frames.last();
            QCOMPARE(last.overlays.size(), acs::mouth_shape_count);
            QSet<QByteArray> looks;
            for (int m = 0; m < acs::mouth_shape_count; ++m) {
                QCOMPARE(int(last.overlays[m].shape), m);
                const QImage img = acs::render_frame(d, last, acs::Mouth(m));
                looks.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
            }
            QVERIFY2(looks.size() == acs::mouth_shape_count, qPrintable(s + ": two mouth shapes look the same"));
        }
    }

    void left_and_right_are_the_screens_data() { each_character_data(); }
    void left_and_right_are_the_screens()
    {
        // The program plays MovingLeft when a character travels towards the screen's
        // left, so MoveLeft must face that way, and so do GestureLeft and LookLeft: the
        // face turns towards the screen's left (a negative shift) in their held frames.
        QFETCH(QString, name);
        const charbuild::CharacterSource src = charbuild::load_character_source(characters()[name].folder);
        const auto face_turn = [&](const QString& anim) {
            for (const charbuild::AnimationSource& a : src.animations)
                if (a.name == anim) return a.frames.last().pose.part(QStringLiteral("face")).dx;
            return 0.0;
        };
        for (const char* way : {"Move", "Gesture", "Look"}) {
            const QString w = QString::fromLatin1(way);
            QVERIFY2(face_turn(w + QStringLiteral("Left")) < 0, qPrintable(w + "Left"));
            QVERIFY2(face_turn(w + QStringLiteral("Right")) > 0, qPrintable(w + "Right"));
        }
    }

    void files_hold_what_was_built_data() { each_character_data(); }
    void files_hold_what_was_built()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        QCOMPARE(acs::read_acs(acs::write_acs(d)), d);
        QCOMPARE(QFileInfo(characters()[name].folder).fileName(), name.toLower());  // the id is the shown name
        // The build's own file, when there is one, matches the sources: building is
        // repeatable and the build rule is up to date.
        const QString built = qEnvironmentVariable("PELLWORKS_PROGRAM_DIR") + QStringLiteral("/chars/") + name +
                              QStringLiteral(".acs");
        if (!QFileInfo::exists(built)) QSKIP("the program folder has no built character yet");
        QCOMPARE(acs::read_acs_file(built), d);
    }
};

PW_TEST_CLASS(CharactersTest);
#include "test_characters.moc"
