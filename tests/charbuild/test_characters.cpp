// Our shipped characters, built from their source folders: everything the program and
// scripts written for other characters expect must be there, every animation must get
// back to rest however it is interrupted, and speaking must work in the poses that
// allow it.

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"
#include "agent/acs/wav_audio.h"
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

// The usual set of animation names, so that scripts written for other characters work.
const QStringList standard_names = {
    "Acknowledge", "Alert", "Announce", "Blink", "Confused", "Congratulate", "Decline", "DoMagic1", "DoMagic2",
    "DontRecognize", "Explain", "GestureDown", "GestureLeft", "GestureRight", "GestureUp", "GetAttention",
    "GetAttentionContinued", "GetAttentionReturn", "Greet", "Hide", "Idle1_1", "Idle1_2", "Idle2_1", "Idle2_2",
    "Idle3_1", "Idle3_2", "LookDown", "LookLeft", "LookRight", "LookUp", "MoveDown", "MoveLeft", "MoveRight",
    "MoveUp", "Pleased", "Process", "Processing", "Read", "ReadContinued", "ReadReturn", "Reading", "RestPose",
    "Sad", "Search", "Searching", "Show", "StartListening", "StopListening", "Suggest", "Surprised", "Think",
    "Thinking", "Uncertain", "Wave", "Write", "WriteContinued", "WriteReturn", "Writing", "Hearing_1"};

struct Built {
    QString folder;
    acs::CharacterData data;
};

QMap<QString, Built>& characters()
{
    static QMap<QString, Built> built;
    return built;
}

// The frame normal play or an exit moves to after `i`, following only sure jumps.
int next_in_play(const acs::Animation& a, int i)
{
    for (const acs::Branch& b : a.frames[i].branches)
        if (b.probability == 100) return b.frame;
    return i + 1;
}

// Where an interruption at frame `i` leaves the character: the last frame shown while
// following exits. -1 when the walk does not end.
int exit_walk_end(const acs::Animation& a, int i)
{
    int last_shown = i;
    for (int steps = 0; steps < 500; ++steps) {
        const int16_t exit = a.frames[i].exit_frame;
        const int next = exit >= 0 ? exit : exit == acs::exit_stop ? int(a.frames.size()) : next_in_play(a, i);
        if (next >= a.frames.size()) return last_shown;
        if (next == i && exit >= 0) return -1;  // an exit onto itself never ends
        i = next;
        if (a.frames[i].duration > 0) last_shown = i;
    }
    return -1;
}

// The last frame shown when the animation plays without interruption, following only
// sure jumps; -1 for an animation that loops forever.
int play_end(const acs::Animation& a)
{
    int i = 0, last_shown = 0;
    QSet<int> seen;
    while (i < a.frames.size()) {
        if (seen.contains(i)) return -1;
        seen.insert(i);
        if (a.frames[i].duration > 0) last_shown = i;
        i = next_in_play(a, i);
    }
    return last_shown;
}

bool loops(const acs::Animation& a)
{
    for (qsizetype i = 0; i < a.frames.size(); ++i)
        for (const acs::Branch& b : a.frames[i].branches)
            if (b.frame <= i) return true;
    return false;
}

bool is_blank(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y))) return false;
    return true;
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

    void states_and_standard_names_exist_data() { each_character_data(); }
    void states_and_standard_names_exist()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        for (const QString& s : state_names) {
            const acs::State* state = d.state(s);
            QVERIFY2(state && !state->animations.isEmpty(), qPrintable(s));
            for (const QString& a : state->animations) QVERIFY2(d.animation(a), qPrintable(s + " -> " + a));
        }
        for (const QString& a : standard_names) QVERIFY2(d.animation(a), qPrintable(a));
        QVERIFY(d.style_flags & acs::style::standard_animation_set);
        // Idling ends in something that goes on until a request comes.
        bool level3_loops = false;
        for (const QString& a : d.state(QStringLiteral("IdlingLevel3"))->animations) level3_loops |= loops(*d.animation(a));
        QVERIFY(level3_loops);
    }

    void frames_are_well_formed_data() { each_character_data(); }
    void frames_are_well_formed()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        QVERIFY(d.height >= 150 && d.height <= 200);
        for (const acs::Animation& a : d.animations) {
            QVERIFY2(!a.frames.isEmpty(), qPrintable(a.name));
            int shown = 0;
            for (const acs::Frame& f : a.frames) {
                shown += f.duration;
                QVERIFY2(f.sound == acs::no_sound || (f.sound >= 0 && f.sound < d.sounds.size()), qPrintable(a.name));
                QVERIFY2(f.exit_frame < a.frames.size(), qPrintable(a.name));
                for (const acs::Branch& b : f.branches) QVERIFY2(b.frame < a.frames.size(), qPrintable(a.name));
                const auto inside = [&](uint32_t image, int x, int y) {
                    if (image >= uint32_t(d.images.size())) return false;
                    const acs::Image& img = d.images[qsizetype(image)];
                    return x >= 0 && y >= 0 && x + img.width <= d.width && y + img.height <= d.height;
                };
                for (const acs::FrameImage& fi : f.images) QVERIFY2(inside(fi.image, fi.x, fi.y), qPrintable(a.name));
                for (const acs::MouthOverlay& o : f.overlays) QVERIFY2(inside(o.image, o.x, o.y), qPrintable(a.name));
            }
            QVERIFY2(shown > 0, qPrintable(a.name));
            if (a.transition == acs::Transition::ReturnAnimation) QVERIFY(d.animation(a.return_animation));
        }
        for (const acs::Sound& s : d.sounds) {
            const acs::PcmAudio pcm = acs::decode_wav(s.wav);
            QVERIFY(pcm.duration_ms() > 50 && pcm.duration_ms() < 1000);  // a short effect, not a song
        }
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

    void every_animation_gets_back_to_rest_data() { each_character_data(); }
    void every_animation_gets_back_to_rest()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        const acs::Animation* rest_anim = d.animation(d.state(QStringLiteral("Speaking"))->animations[0]);
        const QImage rest = acs::render_frame(d, rest_anim->frames[0]);
        QMap<QString, QImage> cache;
        const auto looks_like_rest = [&](const acs::Animation& a, int i) {
            const QString key = a.name + QString::number(i);
            if (!cache.contains(key)) cache.insert(key, acs::render_frame(d, a.frames[i]));
            return cache[key] == rest;
        };
        const QStringList hiding = d.state(QStringLiteral("Hiding"))->animations;
        for (const acs::Animation& a : d.animations) {
            const bool hides = hiding.contains(a.name.toUpper());
            // Played through: rest at the end, or a held pose whose exits lead to rest;
            // hiding ends with nothing drawn.
            const int end = play_end(a);
            if (end < 0) {
                QVERIFY2(loops(a), qPrintable(a.name));
            } else if (hides) {
                QVERIFY2(is_blank(acs::render_frame(d, a.frames[end])), qPrintable(a.name + " should end empty"));
            } else if (a.transition == acs::Transition::None) {
                QVERIFY2(looks_like_rest(a, end), qPrintable(a.name + " does not end at rest"));
            }
            // Interrupted anywhere: the exits lead back to rest.
            for (int i = 0; i < a.frames.size(); ++i) {
                if (a.frames[i].duration == 0 || hides) continue;
                const int stop = exit_walk_end(a, i);
                QVERIFY2(stop >= 0, qPrintable(QStringLiteral("%1 frame %2: exits never end").arg(a.name).arg(i)));
                QVERIFY2(looks_like_rest(a, stop),
                         qPrintable(QStringLiteral("%1 interrupted at frame %2 stops at frame %3, not at rest").arg(a.name).arg(i).arg(stop)));
            }
        }
    }

    void voice_balloon_and_names_suit_children_data() { each_character_data(); }
    void voice_balloon_and_names_suit_children()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        QVERIFY(d.voice && d.balloon);
        QVERIFY(d.voice->style.startsWith(QStringLiteral("en")) && !d.voice->style.contains(QLatin1Char(' ')));
        QVERIFY(d.voice->speed >= 140 && d.voice->speed <= 175);
        QVERIFY(d.voice->pitch <= 100);
        QVERIFY(d.balloon->lines >= 2 && d.balloon->lines <= 3);
        QVERIFY(d.balloon->chars_per_line >= 24 && d.balloon->chars_per_line <= 32);
        QCOMPARE(d.balloon->font_name, QStringLiteral("DejaVu Sans"));
        // The file name is the id, and the shown name matches it.
        QCOMPARE(QFileInfo(characters()[name].folder).fileName(), name.toLower());
        QVERIFY(!d.guid.isNull());
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

    void characters_differ_from_each_other()
    {
        QSet<QUuid> ids;
        QSet<QString> voices;
        QSet<QRgb> main_colours;
        for (const Built& b : characters()) {
            ids.insert(b.data.guid);
            voices.insert(b.data.voice->style + QString::number(b.data.voice->pitch));
            main_colours.insert(b.data.palette.value(2));  // the second key colour: the body
        }
        QCOMPARE(ids.size(), characters().size());
        QCOMPARE(voices.size(), characters().size());
        QCOMPARE(main_colours.size(), characters().size());
    }

    void files_hold_what_was_built_data() { each_character_data(); }
    void files_hold_what_was_built()
    {
        QFETCH(QString, name);
        const acs::CharacterData& d = characters()[name].data;
        QCOMPARE(acs::read_acs(acs::write_acs(d)), d);
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
