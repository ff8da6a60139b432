// Building a character description from a small source folder: the palette and the
// transparent colour, images shared between frames, frames and mouth overlays that
// look exactly like the poses they were drawn from, and the file's other settings.

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"
#include "agent/acs/wav_audio.h"
#include "tiny_source.h"
#include "tools/charbuild/character_builder.h"
#include "tools/charbuild/palette_builder.h"
#include "tools/charbuild/pose_painter.h"
#include "tests/test_classes.h"
#include "tests/thrown_error.h"

#include <QDir>
#include <QTest>

using namespace pw;
using namespace pw::charbuild;

namespace {

// Where the two pictures differ, as "x,y" of the first difference; empty when equal.
// A drawn pixel of the painter's picture must appear with exactly its colour.
QString first_difference(const QImage& painted, const QImage& rendered)
{
    const QImage premultiplied = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x) {
            const QRgb p = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y))[x];
            const QRgb r = rendered.pixel(x, y);
            const bool drawn = is_drawn(p);
            if (drawn != (qAlpha(r) == 255) || (drawn && (drawn_colour(p) != (r | 0xFF000000u))))
                return QStringLiteral("%1,%2").arg(x).arg(y);
        }
    return {};
}

Pose pose_with(const QString& part, const PartPose& p)
{
    Pose pose;
    pose.parts.insert(part, p);
    return pose;
}

}  // namespace

class BuilderTest : public QObject {
    Q_OBJECT

private slots:
    void palette_keeps_key_colours_and_a_transparent_index()
    {
        TinySource tiny;
        const acs::CharacterData data = build_character(tiny.path());
        QCOMPARE(data.palette.size(), 256);
        QCOMPARE(data.transparent_index, transparent_index);
        QCOMPARE(data.palette[transparent_index] | 0xFF000000u, transparent_colour);
        QCOMPARE(data.palette[1] | 0xFF000000u, QRgb(TinySource::outline));
        QCOMPARE(data.palette[2] | 0xFF000000u, QRgb(TinySource::skin));
        // The body's fill is drawn with exactly the key colour; the corner is see-through.
        const QImage rest = acs::render_frame(data, data.animation(QStringLiteral("RestPose"))->frames[0]);
        QCOMPARE(rest.pixel(20, 20), QRgb(TinySource::skin));
        QCOMPARE(qAlpha(rest.pixel(1, 1)), 0);
        // No image uses the transparent colour's entry for a drawn pixel that the
        // painter drew: checked by comparing whole frames below.
    }

    void frames_look_exactly_like_their_poses()
    {
        TinySource tiny;
        const CharacterSource src = load_character_source(tiny.path());
        const acs::CharacterData data = build_character(src);
        const PosePainter painter(src.rig, src.frame);
        for (const AnimationSource& a : src.animations) {
            const acs::Animation* built = data.animation(a.name);
            QVERIFY(built);
            QCOMPARE(built->frames.size(), a.frames.size());
            for (qsizetype i = 0; i < a.frames.size(); ++i) {
                const QImage rendered = acs::render_frame(data, built->frames[i]);
                if (a.frames[i].empty) {
                    QVERIFY(built->frames[i].images.isEmpty());
                    continue;
                }
                const QString diff = first_difference(painter.paint(a.frames[i].pose), rendered);
                QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("%1 frame %2 differs at %3").arg(a.name).arg(i).arg(diff)));
            }
        }
    }

    void identical_pictures_are_stored_once()
    {
        TinySource tiny;
        const acs::CharacterData data = build_character(tiny.path());
        const acs::Animation* show = data.animation(QStringLiteral("Show"));
        QVERIFY(show);
        // Rest twice and a hop: the hop is the same picture three pixels higher.
        QCOMPARE(show->frames[0].images.size(), 1);
        const acs::FrameImage a = show->frames[0].images[0];
        const acs::FrameImage b = show->frames[1].images[0];
        const acs::FrameImage c = show->frames[2].images[0];
        QCOMPARE(b, a);
        QCOMPARE(c.image, a.image);
        QCOMPARE(c.y, int16_t(a.y - 3));
        // The hat is stored as a small patch drawn over the rest picture; the last
        // frame of Hide draws nothing.
        const acs::Animation* hide = data.animation(QStringLiteral("Hide"));
        QCOMPARE(hide->frames[0].images.size(), 2);
        QCOMPARE(hide->frames[0].images[1], a);
        const acs::Image& hat = data.images[hide->frames[0].images[0].image];
        QVERIFY(hat.width <= 14 && hat.height <= 10);
        QVERIFY(hide->frames[1].images.isEmpty());
        QCOMPARE(hide->frames[1].duration, 5);
        // Every stored image is used, none twice with the same content.
        for (qsizetype i = 0; i < data.images.size(); ++i)
            for (qsizetype k = i + 1; k < data.images.size(); ++k) QVERIFY(!(data.images[i] == data.images[k]));
    }

    void mouth_overlays_replace_the_mouth_exactly()
    {
        TinySource tiny;
        const CharacterSource src = load_character_source(tiny.path());
        const acs::CharacterData data = build_character(src);
        const acs::Frame& speaking = data.animation(QStringLiteral("RestPose"))->frames[0];
        QCOMPARE(speaking.overlays.size(), acs::mouth_shape_count);
        const PosePainter painter(src.rig, src.frame);
        for (int s = 0; s < acs::mouth_shape_count; ++s) {
            const acs::MouthOverlay& o = speaking.overlays[s];
            QCOMPARE(int(o.shape), s);
            const acs::Image& img = data.images[o.image];
            QVERIFY(o.x >= 0 && o.y >= 0 && o.x + img.width <= data.width && o.y + img.height <= data.height);
            const QImage painted = painter.paint(pose_with(QStringLiteral("mouth"), PartPose{0, 0, 0, 1, 1, QStringLiteral("m%1").arg(s), {}}));
            const QString diff = first_difference(painted, acs::render_frame(data, speaking, acs::Mouth(s)));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("shape %1 differs at %2").arg(s).arg(diff)));
        }
        // Frames that do not speak carry no overlays.
        QVERIFY(data.animation(QStringLiteral("Show"))->frames[0].overlays.isEmpty());
    }

    // What the source says in words or other units, as the file wants it.
    void settings_are_converted_and_survive_the_file()
    {
        TinySource tiny;
        const acs::CharacterData data = build_character(tiny.path());
        QVERIFY(data.voice && data.balloon);
        QCOMPARE(int(data.voice->gender), 1);                // "female"
        QCOMPARE(data.balloon->font_height, -15);            // 15 pixels
        QCOMPARE(data.balloon->background_color, qRgb(0xff, 0xee, 0xdd));
        QVERIFY(data.style_flags & acs::style::voice_on && data.style_flags & acs::style::balloon_on);
        QVERIFY(!(data.style_flags & acs::style::standard_animation_set));
        QCOMPARE(data.state(QStringLiteral("Hiding"))->animations, QStringList{QStringLiteral("HIDE")});
        QCOMPARE(acs::read_acs(acs::write_acs(data)), data);
    }

    void a_preview_builds_only_the_wanted_animations()
    {
        TinySource tiny;
        BuildOptions only;
        only.only_animations << QStringLiteral("hide");
        const acs::CharacterData data = build_character(tiny.path(), only);
        QCOMPARE(data.animations.size(), 1);
        QCOMPARE(data.animations[0].name, QStringLiteral("Hide"));
        only.only_animations = {QStringLiteral("Nothing")};
        QVERIFY_THROWS_EXCEPTION(pw::agent::AgentError, build_character(tiny.path(), only));
    }

    void sounds_are_stored_once()
    {
        TinySource tiny;
        QDir(tiny.path()).mkpath(QStringLiteral("sounds"));
        acs::PcmAudio beep;
        beep.sample_rate = 22050;
        beep.channels = 1;
        beep.samples = QByteArray(2000, '\x10');
        tiny.write(QStringLiteral("sounds/beep.wav"), acs::encode_wav(beep));
        tiny.add_animations(R"("Beeps": { "frames": [ { "pose": "rest", "sound": "beep" }, { "pose": "hop" },
                                                       { "pose": "rest", "sound": "beep" } ] })");
        const acs::CharacterData data = build_character(tiny.path());
        QCOMPARE(data.sounds.size(), 1);
        const acs::Animation* beeps = data.animation(QStringLiteral("Beeps"));
        QCOMPARE(beeps->frames[0].sound, 0);
        QCOMPARE(beeps->frames[1].sound, acs::no_sound);
        QCOMPARE(beeps->frames[2].sound, 0);
        QCOMPARE(acs::decode_wav(data.sounds[0].wav).samples, beep.samples);
    }

    void many_colours_share_the_palette_fairly()
    {
        // A smooth ramp has far more colours than fit; the key colours still come out
        // exact and every other colour lands near a palette entry.
        QImage ramp(256, 64, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < ramp.height(); ++y)
            for (int x = 0; x < ramp.width(); ++x) ramp.setPixel(x, y, qRgb(x, y * 4, 255 - x));
        const QList<QRgb> keys = {qRgb(17, 17, 17), qRgb(1, 2, 3)};
        PaletteBuilder builder(keys);
        builder.add(ramp);
        const QList<QRgb> palette = builder.build();
        QCOMPARE(palette.size(), palette_size);
        QCOMPARE(palette[1] | 0xFF000000u, keys[0] | 0xFF000000u);
        QCOMPARE(palette[2] | 0xFF000000u, keys[1] | 0xFF000000u);
        const ColourMapper mapper(palette);
        QCOMPARE(int(mapper.index_of(keys[1])), 2);
        int worst = 0;
        for (int y = 0; y < ramp.height(); ++y)
            for (int x = 0; x < ramp.width(); ++x) {
                const QRgb want = ramp.pixel(x, y);
                const uint8_t i = mapper.index_of(want);
                QVERIFY(i != transparent_index);
                const QRgb got = palette[i];
                worst = std::max({worst, qAbs(qRed(got) - qRed(want)), qAbs(qGreen(got) - qGreen(want)),
                                  qAbs(qBlue(got) - qBlue(want))});
            }
        QVERIFY2(worst <= 24, qPrintable(QStringLiteral("worst channel error %1").arg(worst)));
    }
};

PW_TEST_CLASS(BuilderTest);
#include "test_builder.moc"
