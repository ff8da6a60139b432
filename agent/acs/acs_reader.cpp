#include "agent/acs/acs_reader.h"

#include "agent/acs/acs_byte_cursor.h"
#include "agent/acs/acs_codec.h"
#include "agent/acs/acs_format.h"
#include "agent/acs/decode_budget.h"
#include "agent/api/agent_error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <memory>

namespace pw::acs {

namespace {

using agent::AgentError;
namespace error = agent::error;

struct Locator {
    uint32_t offset = 0;
    uint32_t size = 0;
};

Locator locator(ByteCursor& c)
{
    Locator l;
    l.offset = c.u32();
    l.size = c.u32();
    return l;
}

ByteCursor block(QByteArrayView file, Locator l, const QString& what)
{
    return ByteCursor(file, l.offset, l.size, what);
}

QRgb colorref(uint32_t v)
{
    return qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

void check_signature(QByteArrayView file)
{
    if (file.isEmpty())
        throw AgentError(error::not_a_character, QStringLiteral("The file is empty; it is not a character file."));
    if (file.startsWith(QByteArrayView(format::ole_signature, sizeof format::ole_signature)))
        throw AgentError(error::character_version,
                         QStringLiteral("This is an old version 1.5 character file, which is not supported. "
                                        "Only version 2 character files can be loaded."));
    if (file.size() >= 4) {
        const uint32_t magic = uint32_t(uchar(file[0])) | uint32_t(uchar(file[1])) << 8 |
                               uint32_t(uchar(file[2])) << 16 | uint32_t(uchar(file[3])) << 24;
        if (magic == format::signature) return;
        if (magic == format::web_signature)
            throw AgentError(error::not_a_character,
                             QStringLiteral("This is a web character file (.acf), which is not supported. "
                                            "Use the single-file .acs version of the character."));
    }
    throw AgentError(error::not_a_character, QStringLiteral("This file is not a character file."));
}

void check_version(uint16_t major, uint16_t minor)
{
    const uint32_t v = uint32_t(major) << 16 | minor;
    for (uint32_t known : format::readable_versions)
        if (v == known) return;
    const QString text = QStringLiteral("%1.%2").arg(major).arg(minor);
    if (v > format::current_version)
        throw AgentError(error::newer_version,
                         QStringLiteral("The character file has version %1, which is newer than this program "
                                        "can read.").arg(text));
    throw AgentError(error::character_version,
                     QStringLiteral("The character file has version %1, which is not supported.").arg(text));
}

VoiceInfo read_voice(ByteCursor& c)
{
    VoiceInfo v;
    v.engine = c.guid();
    v.mode = c.guid();
    v.speed = c.u32();
    v.pitch = c.u16();
    v.has_extra = c.u8() != 0;
    if (v.has_extra) {
        v.language_id = c.u16();
        v.dialect = c.string();
        v.gender = c.u16();
        v.age = c.u16();
        v.style = c.string();
    }
    return v;
}

BalloonInfo read_balloon(ByteCursor& c)
{
    BalloonInfo b;
    b.lines = c.u8();
    b.chars_per_line = c.u8();
    b.text_color = colorref(c.u32());
    b.background_color = colorref(c.u32());
    b.border_color = colorref(c.u32());
    b.font_name = c.string();
    b.font_height = c.s32();
    b.font_weight = c.s32();
    b.italic = c.u8() != 0;
    b.unknown = c.u8();
    return b;
}

QList<State> read_states(ByteCursor& c)
{
    const uint16_t count = c.u16();
    c.require_items(count, 6, "states");
    QList<State> states;
    states.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        State s;
        s.name = c.string();
        const uint16_t n = c.u16();
        c.require_items(n, 4, "animation names");
        s.animations.reserve(n);
        for (uint16_t j = 0; j < n; ++j) s.animations.append(c.string());
        states.append(std::move(s));
    }
    return states;
}

// Some tools leave out the last terminator of the localized table, which ends the
// file, and some then still count it in the sizes of the blocks that end there:
// accept such a block up to 2 bytes short.
Locator allow_missing_terminator(QByteArrayView file, Locator l)
{
    const uint64_t end = uint64_t(l.offset) + l.size;
    const uint64_t file_size = uint64_t(file.size());
    if (end > file_size && end - file_size <= 2 && l.offset <= file_size) l.size = uint32_t(file_size - l.offset);
    return l;
}

QList<LocalizedInfo> read_localized(QByteArrayView file, Locator l)
{
    ByteCursor c = block(file, allow_missing_terminator(file, l), QStringLiteral("the localized information"));

    const uint16_t count = c.u16();
    c.require_items(count, 12, "localized entries");
    QList<LocalizedInfo> list;
    list.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        LocalizedInfo info;
        info.language_id = c.u16();
        info.name = c.string();
        info.description = c.string();
        info.extra_data = c.string(last);
        list.append(std::move(info));
    }
    return list;
}

void read_character_info(QByteArrayView file, Locator l, CharacterData& d)
{
    ByteCursor c = block(file, allow_missing_terminator(file, l), QStringLiteral("the character information"));
    d.version_minor = c.u16();
    d.version_major = c.u16();
    check_version(d.version_major, d.version_minor);
    const Locator localized = locator(c);
    d.guid = c.guid();
    d.width = c.u16();
    d.height = c.u16();
    d.transparent_index = c.u8();
    d.style_flags = c.u32();
    d.animation_set_major = c.u16();
    d.animation_set_minor = c.u16();
    if (d.style_flags & style::voice_on) d.voice = read_voice(c);
    if (d.style_flags & style::balloon_on) d.balloon = read_balloon(c);

    const uint32_t colors = c.u32();
    c.require_items(colors, 4, "palette colours");
    d.palette.reserve(colors);
    for (uint32_t i = 0; i < colors; ++i) {
        const uint32_t quad = c.u32();  // blue, green, red, reserved
        d.palette.append(qRgb(int((quad >> 16) & 0xFF), int((quad >> 8) & 0xFF), int(quad & 0xFF)));
    }

    if (c.u8() != 0) {
        TrayIcon icon;
        icon.mask_dib = c.bytes(c.u32()).toByteArray();
        icon.color_dib = c.bytes(c.u32()).toByteArray();
        d.tray_icon = std::move(icon);
    }
    d.states = read_states(c);
    d.localized = read_localized(file, localized);
}

Frame read_frame(ByteCursor& c, DecodeBudget& budget)
{
    Frame f;
    const uint16_t images = c.u16();
    c.require_items(images, 8, "frame pictures");
    budget.charge(qint64(images) * qint64(sizeof(FrameImage)));
    f.images.reserve(images);
    for (uint16_t i = 0; i < images; ++i) {
        FrameImage fi;
        fi.image = c.u32();
        fi.x = c.s16();
        fi.y = c.s16();
        f.images.append(fi);
    }
    const uint16_t sound = c.u16();
    f.sound = sound == format::no_sound ? no_sound : int(sound);
    f.duration = c.u16();
    f.exit_frame = c.s16();

    const uint8_t branches = c.u8();
    c.require_items(branches, 4, "branches");
    budget.charge(qint64(branches) * qint64(sizeof(Branch)));
    f.branches.reserve(branches);
    for (uint8_t i = 0; i < branches; ++i) {
        Branch b;
        b.frame = c.u16();
        b.probability = c.u16();
        f.branches.append(b);
    }

    const uint8_t overlays = c.u8();
    c.require_items(overlays, format::overlay_size, "mouth overlays");
    budget.charge(qint64(overlays) * qint64(sizeof(MouthOverlay)));
    f.overlays.reserve(overlays);
    for (uint8_t i = 0; i < overlays; ++i) {
        MouthOverlay o;
        const uint8_t shape = c.u8();
        if (shape >= mouth_shape_count) c.fail(QStringLiteral("unknown mouth shape %1").arg(shape));
        o.shape = Mouth(shape);
        o.replace_top_image = c.u8() != 0;
        o.image = c.u16();
        c.skip(2);  // always zero; no reader gives them a meaning
        o.x = c.s16();
        o.y = c.s16();
        o.value_a = c.u16();
        o.value_b = c.u16();
        f.overlays.append(o);
    }
    return f;
}

// What one record decoded to, and how many bytes of the file it took.
template <typename T>
struct Record {
    T value;
    uint64_t size = 0;
};

// Directory entries may point at the same record many times over: each record is read
// once, and the entries share the result (QByteArray and QList share their data), so
// a repeated entry costs no more memory than the entry itself. An entry whose size
// is too short for the record is read on its own and fails where the record is cut.
template <typename T, typename Read>
T shared_record(QHash<uint32_t, Record<T>>& seen, Locator l, Read read)
{
    if (const auto it = seen.constFind(l.offset); it != seen.cend() && it->size <= l.size) return it->value;
    Record<T> r = read(l);
    seen.insert(l.offset, r);
    return std::move(r.value);
}

Record<Animation> read_animation(QByteArrayView file, const QString& name, Locator l, DecodeBudget& budget)
{
    ByteCursor c = block(file, l, QStringLiteral("the animation \"%1\"").arg(name));
    Animation a;
    c.string();  // the name again, in upper case; the directory keeps the authored case
    const uint8_t transition = c.u8();
    if (transition > uint8_t(Transition::None)) c.fail(QStringLiteral("unknown return type %1").arg(transition));
    a.transition = Transition(transition);
    a.return_animation = c.string();
    const uint16_t frames = c.u16();
    if (frames == 0)
        throw AgentError(error::invalid_animation,
                         QStringLiteral("The character file is damaged: the animation \"%1\" has no frames.").arg(name));
    c.require_items(frames, format::min_frame_size, "frames");
    budget.charge(qint64(frames) * qint64(sizeof(Frame)));
    a.frames.reserve(frames);
    for (uint16_t i = 0; i < frames; ++i) a.frames.append(read_frame(c, budget));
    return {std::move(a), c.position() - l.offset};
}

void read_animations(QByteArrayView file, Locator l, CharacterData& d, DecodeBudget& budget)
{
    ByteCursor c = block(file, l, QStringLiteral("the animation directory"));
    const uint32_t count = c.u32();
    c.require_items(count, 12, "animations");
    budget.charge(qint64(count) * qint64(sizeof(Animation)));
    d.animations.reserve(count);
    QHash<uint32_t, Record<Animation>> records;
    for (uint32_t i = 0; i < count; ++i) {
        const QString name = c.string();
        Animation a = shared_record(records, locator(c),
                                    [&](Locator rec) { return read_animation(file, name, rec, budget); });
        a.name = name;
        d.animations.append(std::move(a));
    }
}

// Where the compressed pictures come from when first drawn: the bytes that were read,
// or, when set, the file they were read from.
struct PictureSource {
    const QByteArray& bytes;
    std::shared_ptr<const OpenCharacterFile> file;
};

// Compressed pixels are only checked here, against the declared size, and decoded
// when the picture is first drawn (PackedPixels): the budget charges what they will
// take then.
Record<Image> read_image(const PictureSource& source, uint32_t index, Locator l, DecodeBudget& budget)
{
    const QByteArray& file = source.bytes;
    ByteCursor c = block(file, l, QStringLiteral("picture %1").arg(index));
    Image img;
    if (c.u8() == 0) {
        img.present = false;
        return {img, 1};
    }
    img.width = c.u16();
    img.height = c.u16();
    const bool compressed = c.u8() != 0;
    const QByteArrayView data = c.bytes(c.u32());
    const qsizetype raster = qsizetype(img.stride()) * img.height;
    // Sizes no stream of this length can fill are damage, not a memory demand.
    if (compressed ? raster > codec::max_decoded_size(data.size()) : data.size() < raster)
        c.fail(QStringLiteral("a %1x%2 picture cannot come from %3 bytes of pixels")
                   .arg(img.width).arg(img.height).arg(data.size()));
    budget.charge(raster);
    const qsizetype offset = data.data() - file.constData();
    if (compressed && source.file)
        img.packed = std::make_shared<const PackedPixels>(source.file, offset, data.size(), raster,
                                                          OpenCharacterFile::checksum(data));
    else if (compressed)
        img.packed = std::make_shared<const PackedPixels>(file, offset, data.size(), raster);
    else
        img.pixels = data.first(raster).toByteArray();

    // The outline (a Windows region) only repeats which pixels are transparent, and
    // nothing draws with it: it is checked to lie inside the record, never decoded.
    const uint32_t packed = c.u32();
    const uint32_t unpacked = c.u32();
    c.skip(packed != 0 ? packed : unpacked);
    return {std::move(img), c.position() - l.offset};
}

void read_images(const PictureSource& source, Locator l, CharacterData& d, DecodeBudget& budget)
{
    ByteCursor c = block(source.bytes, l, QStringLiteral("the picture directory"));
    const uint32_t count = c.u32();
    c.require_items(count, 12, "pictures");
    budget.charge(qint64(count) * qint64(sizeof(Image)));
    d.images.reserve(count);
    QHash<uint32_t, Record<Image>> records;
    for (uint32_t i = 0; i < count; ++i) {
        const Locator rec = locator(c);
        c.skip(4);  // checksum: nobody knows how it is made and nobody checks it
        d.images.append(shared_record(records, rec, [&](Locator r) { return read_image(source, i, r, budget); }));
    }
}

void read_sounds(QByteArrayView file, Locator l, CharacterData& d, DecodeBudget& budget)
{
    ByteCursor c = block(file, l, QStringLiteral("the sound directory"));
    const uint32_t count = c.u32();
    c.require_items(count, 12, "sounds");
    budget.charge(qint64(count) * qint64(sizeof(Sound)));
    d.sounds.reserve(count);
    QHash<uint64_t, QByteArray> blocks;  // by offset and size
    for (uint32_t i = 0; i < count; ++i) {
        const Locator rec = locator(c);
        c.skip(4);  // checksum
        const uint64_t key = uint64_t(rec.offset) << 32 | rec.size;
        auto it = blocks.constFind(key);
        if (it == blocks.cend()) {
            ByteCursor s = block(file, rec, QStringLiteral("sound %1").arg(i));
            budget.charge(rec.size);
            it = blocks.insert(key, s.bytes(rec.size).toByteArray());
        }
        d.sounds.append(Sound{*it});
    }
}

// `file` must own its bytes: without `open_file`, pictures keep a share of it until
// they are decoded.
CharacterData read_view(const QByteArray& file, std::shared_ptr<const OpenCharacterFile> open_file = {})
{
    check_signature(file);
    ByteCursor header(file, 0, format::header_size, QStringLiteral("the file header"));
    header.skip(4);
    const Locator info = locator(header);
    const Locator animations = locator(header);
    const Locator images = locator(header);
    const Locator sounds = locator(header);

    CharacterData d;
    DecodeBudget budget(file.size());
    read_character_info(file, info, d);
    read_animations(file, animations, d, budget);
    read_images(PictureSource{file, std::move(open_file)}, images, d, budget);
    read_sounds(file, sounds, d, budget);
    return d;
}

}  // namespace

CharacterData read_acs(const QByteArray& bytes)
{
    // A copy of our own: the bytes may be borrowed (fromRawData) and gone before the
    // character's pictures are drawn.
    return read_view(QByteArray(bytes.constData(), bytes.size()));
}

CharacterData read_acs_file(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!QFileInfo(path).isFile())
        throw AgentError(error::file_not_found, QStringLiteral("The character file %1 was not found.").arg(path));
    if (!file->open(QIODevice::ReadOnly))
        throw AgentError(error::file_not_found,
                         QStringLiteral("The character file %1 cannot be opened: %2").arg(path, file->errorString()));
    const QByteArray all = file->read(file->size());
    if (all.size() != file->size())
        throw AgentError(error::file_not_found,
                         QStringLiteral("The character file %1 cannot be read: %2").arg(path, file->errorString()));
    // The pictures' streams are most of the file: they are read again when drawn
    // rather than kept.
    return read_view(all, std::make_shared<const OpenCharacterFile>(std::move(file)));
}

}  // namespace pw::acs
