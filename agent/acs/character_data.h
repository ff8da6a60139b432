#pragma once
// What a character file holds: frames, animations, states, sounds, balloon and voice
// settings. Loaded once and then only read; everything that changes while a character
// plays (its queue, current frame, position, balloon) lives elsewhere.

#include "agent/acs/packed_pixels.h"

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <cstdint>
#include <memory>
#include <optional>

namespace pw::acs {

// An 8-bit palette picture. Rows are stored bottom-up, each padded to a multiple of
// four bytes, exactly as in the file. A picture made in memory holds its pixels; one
// read from a file holds its compressed stream and decodes it whenever it is drawn.
struct Image {
    bool present = true;  // false: an empty one-byte placeholder record
    int width = 0;
    int height = 0;
    QByteArray pixels;    // made in memory: stride() * height palette indices, bottom-up
    std::shared_ptr<const PackedPixels> packed;  // read from a file: pixels stays empty

    int stride() const { return (width + 3) & ~3; }
    // The palette indices, bottom-up, whichever way the picture is held; empty when a
    // compressed stream turns out to be damaged. Decodes a compressed one each time.
    QByteArray decoded_pixels() const { return packed ? packed->pixels() : pixels; }

    // Equal pictures show the same, however they are held.
    bool operator==(const Image& o) const
    {
        return present == o.present && width == o.width && height == o.height &&
               decoded_pixels() == o.decoded_pixels();
    }
};

struct FrameImage {
    uint32_t image = 0;  // index into CharacterData::images
    int16_t x = 0;       // offset of the picture's left edge from the frame's left edge
    int16_t y = 0;       // offset of the picture's top edge from the frame's top edge

    bool operator==(const FrameImage&) const = default;
};

struct Branch {
    uint16_t frame = 0;        // target frame index
    uint16_t probability = 0;  // percent

    bool operator==(const Branch&) const = default;
};

// Mouth shapes, numbered as in the file.
enum class Mouth : uint8_t {
    Closed = 0, WideOpen1 = 1, WideOpen2 = 2, WideOpen3 = 3, WideOpen4 = 4, Medium = 5, Narrow = 6,
};
inline constexpr int mouth_shape_count = 7;

struct MouthOverlay {
    Mouth shape = Mouth::Closed;
    bool replace_top_image = false;  // leave out frame image 0 and draw this instead
    uint16_t image = 0;
    int16_t x = 0;
    int16_t y = 0;
    uint16_t value_a = 0;  // meaning unknown; kept for rewriting
    uint16_t value_b = 0;

    bool operator==(const MouthOverlay&) const = default;
};

inline constexpr int no_sound = -1;
inline constexpr int16_t exit_none = -2;  // no exit branch: play on normally
inline constexpr int16_t exit_stop = -1;  // an interrupt ends the animation here

struct Frame {
    QList<FrameImage> images;       // drawn from the last to the first: image 0 is on top
    int sound = no_sound;           // index into CharacterData::sounds
    uint16_t duration = 10;         // hundredths of a second; 0: never shown, only branches
    int16_t exit_frame = exit_none; // >= 0: where an interrupted animation goes next
    QList<Branch> branches;
    QList<MouthOverlay> overlays;

    bool operator==(const Frame&) const = default;
};

enum class Transition : uint8_t {
    ReturnAnimation = 0,  // play return_animation afterwards
    ExitBranches = 1,     // follow the exit branches afterwards
    None = 2,
};

struct Animation {
    QString name;             // as authored (the directory keeps the case)
    Transition transition = Transition::None;
    QString return_animation; // for Transition::ReturnAnimation
    QList<Frame> frames;

    bool operator==(const Animation&) const = default;
};

struct State {
    QString name;             // e.g. "SHOWING", "IDLINGLEVEL1"
    QStringList animations;

    bool operator==(const State&) const = default;
};

struct LocalizedInfo {
    uint16_t language_id = 0x0409;
    QString name;
    QString description;
    QString extra_data;

    bool operator==(const LocalizedInfo&) const = default;
};

// Text-to-speech settings. Our own characters keep their espeak-ng voice in `style`
// (e.g. "en-us+m3") and use speed (words per minute) and pitch (0..100).
struct VoiceInfo {
    QUuid engine;
    QUuid mode;
    uint32_t speed = 0xFFFFFFFF;
    uint16_t pitch = 0xFFFF;
    bool has_extra = false;
    uint16_t language_id = 0x0409;
    QString dialect;
    uint16_t gender = 0;  // 0 neutral, 1 female, 2 male
    uint16_t age = 30;
    QString style;

    bool operator==(const VoiceInfo&) const = default;
};

struct BalloonInfo {
    uint8_t lines = 2;
    uint8_t chars_per_line = 28;
    QRgb text_color = qRgb(0, 0, 0);
    QRgb background_color = qRgb(255, 255, 225);
    QRgb border_color = qRgb(0, 0, 0);
    QString font_name = QStringLiteral("MS Sans Serif");
    int32_t font_height = -13;  // negative: character height in pixels
    int32_t font_weight = 400;
    bool italic = false;
    uint8_t unknown = 0;

    bool operator==(const BalloonInfo&) const = default;
};

// Sounds are kept as the complete RIFF/WAVE file that was stored; decoded_wav() in
// wav_audio.h turns any of them (PCM or ADPCM) into 16-bit PCM.
struct Sound {
    QByteArray wav;

    bool operator==(const Sound&) const = default;
};

struct TrayIcon {
    QByteArray mask_dib;
    QByteArray color_dib;

    bool operator==(const TrayIcon&) const = default;
};

namespace style {
inline constexpr uint32_t voice_off = 0x00000010;
inline constexpr uint32_t voice_on = 0x00000020;
inline constexpr uint32_t balloon_off = 0x00000100;
inline constexpr uint32_t balloon_on = 0x00000200;
inline constexpr uint32_t balloon_size_to_text = 0x00010000;
inline constexpr uint32_t balloon_no_auto_hide = 0x00020000;
inline constexpr uint32_t balloon_no_auto_pace = 0x00040000;
inline constexpr uint32_t standard_animation_set = 0x00100000;
}  // namespace style

struct CharacterData {
    uint16_t version_minor = 1;
    uint16_t version_major = 2;
    QUuid guid;
    uint16_t width = 0;   // frame size in pixels
    uint16_t height = 0;
    uint8_t transparent_index = 10;
    uint32_t style_flags = style::voice_on | style::balloon_on;
    uint16_t animation_set_major = 2;
    uint16_t animation_set_minor = 0;
    std::optional<VoiceInfo> voice;      // present exactly when style_flags has voice_on
    std::optional<BalloonInfo> balloon;  // present exactly when style_flags has balloon_on
    QList<QRgb> palette;                 // entries beyond the list count as black
    std::optional<TrayIcon> tray_icon;
    QList<State> states;
    QList<LocalizedInfo> localized;
    QList<Animation> animations;
    QList<Image> images;
    QList<Sound> sounds;

    bool operator==(const CharacterData&) const = default;

    // Case-insensitive lookups; -1 / nullptr when absent.
    int animation_index(const QString& name) const;
    const Animation* animation(const QString& name) const;
    const State* state(const QString& name) const;
    // Exact language, then the same primary language, then English, then the first.
    const LocalizedInfo* info(uint16_t language_id = 0x0409) const;
    QString name(uint16_t language_id = 0x0409) const;
};

}  // namespace pw::acs
