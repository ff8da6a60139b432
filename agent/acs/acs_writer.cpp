#include "agent/acs/acs_writer.h"

#include "agent/acs/acs_byte_sink.h"
#include "agent/acs/acs_codec.h"
#include "agent/acs/acs_format.h"
#include "agent/api/agent_error.h"

#include <QSaveFile>

namespace pw::acs {

namespace {

using agent::AgentError;
namespace error = agent::error;

struct Locator {
    qsizetype offset = 0;
    qsizetype size = 0;
};

[[noreturn]] void refuse(uint32_t number, const QString& why)
{
    throw AgentError(number, QStringLiteral("Cannot write the character: %1.").arg(why));
}

// Everything the format stores in 16 or 8 bits is checked before it is cut short.
void check_fits(qsizetype value, qsizetype max, const QString& what)
{
    if (value < 0 || value > max) refuse(error::file_corrupt, QStringLiteral("%1 is %2, more than the file can hold (%3)")
                                                                 .arg(what).arg(value).arg(max));
}

uint32_t colorref(QRgb c)
{
    return uint32_t(qRed(c)) | uint32_t(qGreen(c)) << 8 | uint32_t(qBlue(c)) << 16;
}

void put_locator(ByteSink& out, Locator l)
{
    out.u32(uint32_t(l.offset));
    out.u32(uint32_t(l.size));
}

void write_frame(ByteSink& out, const Frame& f, const QString& where)
{
    check_fits(f.images.size(), 0xFFFF, QStringLiteral("the number of pictures in %1").arg(where));
    out.u16(uint16_t(f.images.size()));
    for (const FrameImage& fi : f.images) {
        out.u32(fi.image);
        out.s16(fi.x);
        out.s16(fi.y);
    }
    if (f.sound != no_sound) check_fits(f.sound, 0xFFFE, QStringLiteral("the sound number of %1").arg(where));
    out.u16(f.sound == no_sound ? format::no_sound : uint16_t(f.sound));
    out.u16(f.duration);
    out.s16(f.exit_frame);
    check_fits(f.branches.size(), 0xFF, QStringLiteral("the number of branches in %1").arg(where));
    out.u8(uint8_t(f.branches.size()));
    for (const Branch& b : f.branches) {
        out.u16(b.frame);
        out.u16(b.probability);
    }
    check_fits(f.overlays.size(), 0xFF, QStringLiteral("the number of mouth overlays in %1").arg(where));
    out.u8(uint8_t(f.overlays.size()));
    for (const MouthOverlay& o : f.overlays) {
        check_fits(uint8_t(o.shape), mouth_shape_count - 1, QStringLiteral("a mouth shape in %1").arg(where));
        out.u8(uint8_t(o.shape));
        out.u8(o.replace_top_image ? 1 : 0);
        out.u16(o.image);
        out.u16(0);
        out.s16(o.x);
        out.s16(o.y);
        out.u16(o.value_a);
        out.u16(o.value_b);
    }
}

void write_animation(ByteSink& out, const Animation& a)
{
    if (a.frames.isEmpty())
        refuse(error::invalid_animation, QStringLiteral("the animation \"%1\" has no frames").arg(a.name));
    check_fits(a.frames.size(), 0xFFFF, QStringLiteral("the number of frames of \"%1\"").arg(a.name));
    out.string(a.name.toUpper());
    out.u8(uint8_t(a.transition));
    out.string(a.return_animation);
    out.u16(uint16_t(a.frames.size()));
    for (qsizetype i = 0; i < a.frames.size(); ++i)
        write_frame(out, a.frames[i], QStringLiteral("frame %1 of \"%2\"").arg(i).arg(a.name));
}

void write_image(ByteSink& out, const Image& img, qsizetype index)
{
    if (!img.present) {
        out.u8(0);
        return;
    }
    const QString where = QStringLiteral("picture %1").arg(index);
    check_fits(img.width, 0xFFFF, QStringLiteral("the width of %1").arg(where));
    check_fits(img.height, 0xFFFF, QStringLiteral("the height of %1").arg(where));
    const qsizetype raster = qsizetype(img.stride()) * img.height;
    const QByteArray pixels = img.decoded_pixels();
    if (pixels.size() != raster)
        refuse(error::file_corrupt, QStringLiteral("%1 is %2x%3 and needs %4 bytes of pixels, but has %5")
                                        .arg(where).arg(img.width).arg(img.height).arg(raster).arg(pixels.size()));
    out.u8(1);
    out.u16(uint16_t(img.width));
    out.u16(uint16_t(img.height));
    out.u8(1);  // compressed
    const QByteArray packed = codec::encode(pixels);
    out.u32(uint32_t(packed.size()));
    out.bytes(packed);
    // No outline: it would only repeat which pixels are transparent.
    out.u32(0);
    out.u32(0);
}

void write_voice(ByteSink& out, const VoiceInfo& v)
{
    out.guid(v.engine);
    out.guid(v.mode);
    out.u32(v.speed);
    out.u16(v.pitch);
    out.u8(v.has_extra ? 1 : 0);
    if (!v.has_extra) return;
    out.u16(v.language_id);
    out.string(v.dialect);
    out.u16(v.gender);
    out.u16(v.age);
    out.string(v.style);
}

void write_balloon(ByteSink& out, const BalloonInfo& b)
{
    out.u8(b.lines);
    out.u8(b.chars_per_line);
    out.u32(colorref(b.text_color));
    out.u32(colorref(b.background_color));
    out.u32(colorref(b.border_color));
    out.string(b.font_name);
    out.s32(b.font_height);
    out.s32(b.font_weight);
    out.u8(b.italic ? 1 : 0);
    out.u8(b.unknown);
}

uint32_t style_flags(const CharacterData& d)
{
    uint32_t flags = d.style_flags & ~(style::voice_on | style::voice_off | style::balloon_on | style::balloon_off);
    flags |= d.voice ? style::voice_on : style::voice_off;
    flags |= d.balloon ? style::balloon_on : style::balloon_off;
    return flags;
}

// The character information; its last part is the localized table, whose locator
// sits near the start of the block.
void write_character_info(ByteSink& out, const CharacterData& d)
{
    out.u16(d.version_minor);
    out.u16(d.version_major);
    const qsizetype localized_locator = out.size();
    put_locator(out, {});
    out.guid(d.guid);
    out.u16(d.width);
    out.u16(d.height);
    out.u8(d.transparent_index);
    out.u32(style_flags(d));
    out.u16(d.animation_set_major);
    out.u16(d.animation_set_minor);
    if (d.voice) write_voice(out, *d.voice);
    if (d.balloon) write_balloon(out, *d.balloon);

    out.u32(uint32_t(d.palette.size()));
    for (QRgb c : d.palette) out.u32(uint32_t(qBlue(c)) | uint32_t(qGreen(c)) << 8 | uint32_t(qRed(c)) << 16);

    if (d.tray_icon) {
        out.u8(1);
        out.u32(uint32_t(d.tray_icon->mask_dib.size()));
        out.bytes(d.tray_icon->mask_dib);
        out.u32(uint32_t(d.tray_icon->color_dib.size()));
        out.bytes(d.tray_icon->color_dib);
    } else {
        out.u8(0);
    }

    check_fits(d.states.size(), 0xFFFF, QStringLiteral("the number of states"));
    out.u16(uint16_t(d.states.size()));
    for (const State& s : d.states) {
        out.string(s.name);
        check_fits(s.animations.size(), 0xFFFF, QStringLiteral("the number of animations of state %1").arg(s.name));
        out.u16(uint16_t(s.animations.size()));
        for (const QString& a : s.animations) out.string(a);
    }

    const qsizetype localized_start = out.size();
    check_fits(d.localized.size(), 0xFFFF, QStringLiteral("the number of languages"));
    out.u16(uint16_t(d.localized.size()));
    for (const LocalizedInfo& l : d.localized) {
        out.u16(l.language_id);
        out.string(l.name);
        out.string(l.description);
        out.string(l.extra_data);
    }
    out.patch_u32(localized_locator, uint32_t(localized_start));
    out.patch_u32(localized_locator + 4, uint32_t(out.size() - localized_start));
}

}  // namespace

QByteArray write_acs(const CharacterData& d)
{
    ByteSink out;
    for (uint32_t i = 0; i < format::header_size; ++i) out.u8(0);

    QList<Locator> animations;
    for (const Animation& a : d.animations) {
        const qsizetype start = out.size();
        write_animation(out, a);
        animations.append({start, out.size() - start});
    }
    QList<Locator> images;
    for (qsizetype i = 0; i < d.images.size(); ++i) {
        const qsizetype start = out.size();
        write_image(out, d.images[i], i);
        images.append({start, out.size() - start});
    }
    QList<Locator> sounds;
    for (const Sound& s : d.sounds) {
        sounds.append({out.size(), s.wav.size()});
        out.bytes(s.wav);
    }

    const Locator animation_dir{out.size(), 0};
    out.u32(uint32_t(animations.size()));
    for (qsizetype i = 0; i < animations.size(); ++i) {
        out.string(d.animations[i].name);
        put_locator(out, animations[i]);
    }
    const Locator image_dir{out.size(), 0};
    out.u32(uint32_t(images.size()));
    for (Locator l : images) {
        put_locator(out, l);
        out.u32(0);  // checksum
    }
    const Locator sound_dir{out.size(), 0};
    out.u32(uint32_t(sounds.size()));
    for (Locator l : sounds) {
        put_locator(out, l);
        out.u32(0);
    }
    const Locator info{out.size(), 0};
    write_character_info(out, d);
    const qsizetype end = out.size();

    // Locators are 32-bit: everything must end within 4 GB.
    check_fits(end, qsizetype(0xFFFFFFFF), QStringLiteral("the file size"));
    out.patch_u32(0, format::signature);
    const auto patch = [&](qsizetype at, Locator l, qsizetype block_end) {
        out.patch_u32(at, uint32_t(l.offset));
        out.patch_u32(at + 4, uint32_t(block_end - l.offset));
    };
    patch(4, info, end);
    patch(12, animation_dir, image_dir.offset);
    patch(20, image_dir, sound_dir.offset);
    patch(28, sound_dir, info.offset);
    return out.take();
}

void write_acs_file(const CharacterData& data, const QString& path)
{
    const QByteArray bytes = write_acs(data);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AgentError(write_failed,
                         QStringLiteral("The character file %1 cannot be written: %2").arg(path, file.errorString()));
}

}  // namespace pw::acs
