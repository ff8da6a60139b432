#include "synthetic_character.h"

#include "agent/acs/wav_audio.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <cmath>

namespace pw::acs::testing {

Image blob_image(int width, int height, uint8_t color, uint8_t transparent, quint32 seed)
{
    QRandomGenerator rng(seed);
    Image img;
    img.width = width;
    img.height = height;
    img.pixels = QByteArray(img.stride() * height, char(transparent));
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / (width / 2.0), dy = (y - cy) / (height / 2.0);
            if (dx * dx + dy * dy > 1.0) continue;
            const uint8_t c = rng.bounded(8) == 0 ? uint8_t(color + 1) : color;
            img.pixels[(height - 1 - y) * img.stride() + x] = char(c);
        }
    }
    return img;
}

namespace {

QByteArray tone_wav(int ms, int hz)
{
    PcmAudio a;
    a.sample_rate = 8000;
    a.channels = 1;
    const int n = a.sample_rate * ms / 1000;
    a.samples.resize(n * 2);
    for (int i = 0; i < n; ++i)
        qToLittleEndian(qint16(8000 * std::sin(2 * M_PI * hz * i / a.sample_rate)), a.samples.data() + 2 * i);
    return encode_wav(a);
}

Frame frame(QList<FrameImage> images, uint16_t duration = 10)
{
    Frame f;
    f.images = std::move(images);
    f.duration = duration;
    return f;
}

}  // namespace

CharacterData synthetic_character(quint32 seed)
{
    constexpr uint8_t clear = 74;  // a transparent index other than the usual 10
    CharacterData d;
    d.guid = QUuid(0x1234ABCDu, 0x5678, 0x9ABC, 0xDE, 0xF0, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB);
    d.width = 61;  // not a multiple of 4
    d.height = 47;
    d.transparent_index = clear;
    d.style_flags = style::voice_on | style::balloon_on | style::balloon_size_to_text | style::standard_animation_set;

    VoiceInfo v;
    v.engine = QUuid(0xCA141FD0u, 0xAC7F, 0x11D1, 0x97, 0xA3, 0x00, 0x60, 0x08, 0x27, 0x3F, 0xE1);
    v.mode = QUuid(0x11111111u, 0x2222, 0x3333, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB);
    v.speed = 160;
    v.pitch = 55;
    v.has_extra = true;
    v.language_id = 0x0409;
    v.dialect = QStringLiteral("US English");
    v.gender = 2;
    v.age = 30;
    v.style = QStringLiteral("en-us+m3");
    d.voice = v;

    BalloonInfo b;
    b.lines = 3;
    b.chars_per_line = 32;
    b.text_color = qRgb(10, 20, 30);
    b.background_color = qRgb(255, 255, 225);
    b.border_color = qRgb(1, 2, 3);
    b.font_name = QStringLiteral("DejaVu Sans");
    b.font_height = -15;
    b.font_weight = 700;
    b.italic = true;
    d.balloon = b;

    for (int i = 0; i < 256; ++i) d.palette.append(qRgb(i, 255 - i, (i * 7) & 0xFF));
    d.tray_icon = TrayIcon{QByteArray(112, '\x11'), QByteArray(232, '\x22')};

    QRandomGenerator rng(seed);
    for (int i = 0; i < 6; ++i) {
        d.images.append(blob_image(20 + int(rng.bounded(40)), 15 + int(rng.bounded(30)), uint8_t(20 + 10 * i), clear,
                                   seed * 100 + quint32(i)));
    }
    Image placeholder;
    placeholder.present = false;
    d.images.insert(3, placeholder);
    for (int m = 0; m < mouth_shape_count; ++m) d.images.append(blob_image(12, 6 + m, uint8_t(100 + m), clear, seed + quint32(m)));

    d.sounds.append(Sound{tone_wav(60, 440)});
    d.sounds.append(Sound{tone_wav(25, 880)});

    Animation show;
    show.name = QStringLiteral("Show");
    show.frames = {frame({}, 0), frame({{0, 0, 0}, {1, -5, 30}}), frame({{2, 40, -7}, {0, 0, 0}}, 25)};
    show.frames[1].sound = 0;
    d.animations.append(show);

    Animation wave;
    wave.name = QStringLiteral("Wave");
    wave.transition = Transition::ExitBranches;
    wave.frames = {frame({{4, 0, 0}}), frame({{5, 3, 3}}), frame({{6, 10, 10}}), frame({}, 0)};
    wave.frames[0].exit_frame = 3;
    wave.frames[1].exit_frame = exit_stop;
    wave.frames[1].branches = {{0, 40}, {2, 35}, {1, 25}};
    wave.frames[2].branches = {{1, 100}};
    wave.frames[2].sound = 1;
    d.animations.append(wave);

    Animation look;
    look.name = QStringLiteral("LookUp");
    look.transition = Transition::ReturnAnimation;
    look.return_animation = QStringLiteral("LOOKUPRETURN");
    look.frames = {frame({{1, 0, 0}}, 100)};
    d.animations.append(look);

    Animation rest;
    rest.name = QStringLiteral("RestPose");
    Frame speaking = frame({{0, 0, 0}, {2, 20, 20}}, 10);
    for (int m = 0; m < mouth_shape_count; ++m) {
        MouthOverlay o;
        o.shape = Mouth(m);
        o.replace_top_image = m == int(Mouth::WideOpen4);
        o.image = uint16_t(7 + m);
        o.x = int16_t(24 - m);
        o.y = int16_t(30 + m);
        o.value_a = 30;
        o.value_b = 33;
        speaking.overlays.append(o);
    }
    rest.frames = {speaking};
    d.animations.append(rest);

    d.states = {{QStringLiteral("SHOWING"), {QStringLiteral("SHOW")}},
                {QStringLiteral("SPEAKING"), {QStringLiteral("RESTPOSE")}},
                {QStringLiteral("IDLINGLEVEL1"), {QStringLiteral("WAVE"), QStringLiteral("LOOKUP")}},
                {QStringLiteral("HEARING"), {}}};
    d.localized = {{0x0409, QStringLiteral("Testy"), QStringLiteral("A test character"), QStringLiteral("extra")},
                   {0x0407, QStringLiteral("Testi"), QStringLiteral("Eine Testfigur \u00e4\u00f6\u00fc"), QString()},
                   {0x0411, QStringLiteral("\u30c6\u30b9\u30c8"), QString(), QStringLiteral("x")}};
    return d;
}

}  // namespace pw::acs::testing
