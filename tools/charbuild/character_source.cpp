#include "tools/charbuild/character_source.h"

#include "agent/api/agent_error.h"
#include "tools/charbuild/animation_scripts.h"
#include "tools/charbuild/motion_checks.h"
#include "tools/charbuild/pose_library.h"
#include "tools/charbuild/source_json.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>

namespace pw::charbuild {

namespace {

QStringList string_list(const QJsonObject& o, const QString& key, const QStringList& fallback, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return fallback;
    if (v.isString()) return {v.toString()};
    if (!v.isArray()) source_error(where, QStringLiteral("\"%1\" must be a text or a list of texts").arg(key));
    QStringList out;
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isString()) source_error(where, QStringLiteral("\"%1\" must list texts").arg(key));
        out << item.toString();
    }
    return out;
}

acs::VoiceInfo read_voice(const QJsonObject& o, const QString& where)
{
    acs::VoiceInfo v;
    v.style = required_string(o, QStringLiteral("espeak"), where);
    const int speed = int_field(o, QStringLiteral("speed"), 160, where);
    if (speed < 80 || speed > 450) source_error(where, QStringLiteral("\"speed\" must be 80..450 words a minute"));
    v.speed = uint32_t(speed);
    const int pitch = int_field(o, QStringLiteral("pitch"), 50, where);
    if (pitch < 0 || pitch > 100) source_error(where, QStringLiteral("\"pitch\" must be 0..100"));
    v.pitch = uint16_t(pitch);
    v.has_extra = true;
    v.language_id = uint16_t(int_field(o, QStringLiteral("language"), 0x0409, where));
    const QString gender = string_field(o, QStringLiteral("gender"), QStringLiteral("neutral"), where);
    if (gender == QStringLiteral("female")) v.gender = 1;
    else if (gender == QStringLiteral("male")) v.gender = 2;
    else if (gender == QStringLiteral("neutral")) v.gender = 0;
    else source_error(where, QStringLiteral("\"gender\" must be male, female or neutral"));
    v.age = uint16_t(int_field(o, QStringLiteral("age"), 30, where));
    return v;
}

acs::BalloonInfo read_balloon(const QJsonObject& o, const QString& where)
{
    acs::BalloonInfo b;
    const int lines = int_field(o, QStringLiteral("lines"), 2, where);
    const int chars = int_field(o, QStringLiteral("chars_per_line"), 28, where);
    if (lines < 1 || lines > 128 || chars < 8 || chars > 255)
        source_error(where, QStringLiteral("\"lines\" must be 1..128 and \"chars_per_line\" 8..255"));
    b.lines = uint8_t(lines);
    b.chars_per_line = uint8_t(chars);
    b.text_color = parse_colour(string_field(o, QStringLiteral("text"), QStringLiteral("#000000"), where), where);
    b.background_color = parse_colour(string_field(o, QStringLiteral("background"), QStringLiteral("#ffffe1"), where), where);
    b.border_color = parse_colour(string_field(o, QStringLiteral("border"), QStringLiteral("#000000"), where), where);
    b.font_name = required_string(o, QStringLiteral("font"), where);
    const int size = int_field(o, QStringLiteral("font_pixels"), 13, where);
    if (size < 6 || size > 72) source_error(where, QStringLiteral("\"font_pixels\" must be 6..72"));
    b.font_height = -size;
    b.font_weight = bool_field(o, QStringLiteral("bold"), false, where) ? 700 : 400;
    return b;
}

}  // namespace

CharacterSource load_character_source(const QString& folder)
{
    CharacterSource src;
    src.folder = QDir(folder).absolutePath();
    const QDir dir(src.folder);
    if (!dir.exists())
        throw agent::AgentError(agent::error::file_not_found, folder + QStringLiteral(": no such folder"));
    const QString where = dir.filePath(QStringLiteral("character.json"));
    const QJsonObject json = read_json_object(where);

    src.id = required_string(json, QStringLiteral("id"), where);
    src.guid = QUuid::fromString(required_string(json, QStringLiteral("guid"), where));
    if (src.guid.isNull()) source_error(where, QStringLiteral("\"guid\" must look like {8-4-4-4-12 hex digits}"));
    const QJsonArray frame = json.value(QStringLiteral("frame")).toArray();
    if (frame.size() != 2 || frame[0].toInt() < 8 || frame[1].toInt() < 8 || frame[0].toInt() > 1024 ||
        frame[1].toInt() > 1024)
        source_error(where, QStringLiteral("\"frame\" must be [width, height] in pixels, 8..1024"));
    src.frame = QSize(frame[0].toInt(), frame[1].toInt());
    const QJsonArray offset = json.value(QStringLiteral("art_offset")).toArray();
    if (offset.size() == 2) src.art_offset = QPointF(offset[0].toDouble(), offset[1].toDouble());
    else if (json.contains(QStringLiteral("art_offset"))) source_error(where, QStringLiteral("\"art_offset\" must be [x, y]"));

    const QJsonArray info = json.value(QStringLiteral("info")).toArray();
    if (info.isEmpty()) source_error(where, QStringLiteral("\"info\" must list at least one name"));
    for (const QJsonValue& v : info) {
        const QJsonObject o = v.toObject();
        acs::LocalizedInfo li;
        li.language_id = uint16_t(int_field(o, QStringLiteral("language"), 0x0409, where));
        li.name = required_string(o, QStringLiteral("name"), where);
        li.description = string_field(o, QStringLiteral("description"), QString(), where);
        li.extra_data = string_field(o, QStringLiteral("extra"), QString(), where);
        src.localized << li;
    }
    src.voice = read_voice(json.value(QStringLiteral("voice")).toObject(), where + QStringLiteral(", voice"));
    src.balloon = read_balloon(json.value(QStringLiteral("balloon")).toObject(), where + QStringLiteral(", balloon"));
    src.style_flags = acs::style::voice_on | acs::style::balloon_on | acs::style::balloon_size_to_text;
    if (bool_field(json, QStringLiteral("standard_set"), false, where))
        src.style_flags |= acs::style::standard_animation_set;

    for (const QString& c : string_list(json, QStringLiteral("key_colours"), {}, where))
        src.key_colours << parse_colour(c, where + QStringLiteral(", key_colours"));
    if (src.key_colours.size() > 200) source_error(where, QStringLiteral("too many key colours (at most 200)"));

    const QString rig_file = dir.filePath(string_field(json, QStringLiteral("rig"), QStringLiteral("rig.json"), where));
    src.rig = Rig::from_json(read_json_object(rig_file), QFileInfo(rig_file).absolutePath(), rig_file);

    const QJsonObject mouth = json.value(QStringLiteral("mouth")).toObject();
    src.mouth_part = required_string(mouth, QStringLiteral("part"), where + QStringLiteral(", mouth"));
    const RigPart* mouth_part = src.rig.part(src.mouth_part);
    if (!mouth_part) source_error(where, QStringLiteral("\"mouth\" names an unknown part"));
    const QStringList shapes = string_list(mouth, QStringLiteral("shapes"), {}, where);
    if (shapes.size() != acs::mouth_shape_count)
        source_error(where, QStringLiteral("\"mouth\" needs seven \"shapes\": closed, wide 1-4, medium, narrow"));
    for (int i = 0; i < acs::mouth_shape_count; ++i) {
        if (!mouth_part->art.contains(shapes[i]))
            source_error(where, QStringLiteral("mouth shape \"%1\" is not a drawing of part %2").arg(shapes[i], src.mouth_part));
        src.mouth_shapes[size_t(i)] = shapes[i];
    }

    PoseLibrary poses(src.rig);
    for (const QString& f : string_list(json, QStringLiteral("poses"), {QStringLiteral("poses.json")}, where))
        poses.add_file(dir.filePath(f));
    poses.check_all();

    AnimationScripts scripts(poses);
    for (const QString& f : string_list(json, QStringLiteral("animations"), {QStringLiteral("animations")}, where)) {
        const QString path = dir.filePath(f);
        if (QFileInfo(path).isDir()) {
            for (const QString& name : QDir(path).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
                scripts.add_file(QDir(path).filePath(name));
        } else {
            scripts.add_file(path);
        }
    }
    if (scripts.names().isEmpty()) source_error(where, QStringLiteral("no animations found"));
    // Sorted by name: the stage lists them in file order, and a sorted list is easier
    // to find things in.
    QStringList names = scripts.names();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (const QString& name : names) src.animations << scripts.build(name);

    const QString sounds = dir.filePath(string_field(json, QStringLiteral("sounds"), QStringLiteral("sounds"), where));
    for (const QFileInfo& f : QDir(sounds).entryInfoList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name))
        src.sound_files.insert(f.completeBaseName(), f.absoluteFilePath());
    for (const AnimationSource& a : src.animations)
        for (const FrameSource& f : a.frames)
            if (!f.sound.isEmpty() && !src.sound_files.contains(f.sound))
                source_error(where, QStringLiteral("animation %1 plays an unknown sound \"%2\"").arg(a.name, f.sound));

    const QJsonObject states = json.value(QStringLiteral("states")).toObject();
    if (states.isEmpty()) source_error(where, QStringLiteral("\"states\" is missing"));
    for (auto it = states.begin(); it != states.end(); ++it) {
        acs::State s;
        s.name = it.key().toUpper();
        for (const QString& a : string_list(states, it.key(), {}, where)) {
            if (!scripts.contains(a))
                source_error(where, QStringLiteral("state %1 names an unknown animation %2").arg(it.key(), a));
            s.animations << a.toUpper();
        }
        if (s.animations.isEmpty()) source_error(where, QStringLiteral("state %1 has no animations").arg(it.key()));
        src.states << s;
    }
    check_motion(src);
    return src;
}

}  // namespace pw::charbuild
