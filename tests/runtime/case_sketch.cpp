#include "case_sketch.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace pw::runtime_cases {

CaseSketch::CaseSketch()
{
    data.width = frame_side;
    data.height = frame_side;
    data.transparent_index = 0;
    for (int i = 0; i < 256; ++i) data.palette.append(qRgb(i, 7, 9));
    data.localized.append(acs::LocalizedInfo{0x0409, u"Sketchy"_s, {}, {}});
    data.localized.append(acs::LocalizedInfo{0x0407, u"Skizze"_s, {}, {}});
    data.voice = acs::VoiceInfo{};
    data.balloon = acs::BalloonInfo{};
}

uint32_t CaseSketch::image(int colour, int side)
{
    acs::Image img;
    img.width = side;
    img.height = side;
    img.pixels = QByteArray(img.stride() * side, char(colour));
    data.images.append(img);
    return uint32_t(data.images.size() - 1);
}

// tag/hundredths, then >frame:percent for each branch, ^frame or ^stop for the exit,
// +mouths for mouth overlays: "41/2>0:50^1+mouths".
bool CaseSketch::add_frame(acs::Animation& a, const QString& token)
{
    static const QRegularExpression form(
        u"^(\\d+)/(\\d+)((?:>\\d+:\\d+)*)(?:\\^(stop|\\d+))?(\\+mouths)?$"_s);
    const QRegularExpressionMatch m = form.match(token);
    if (!m.hasMatch()) return false;
    acs::Frame f;
    f.images.append(acs::FrameImage{image(m.captured(1).toInt(), frame_side), 0, 0});
    f.duration = uint16_t(m.captured(2).toInt());
    for (const QString& b : m.captured(3).split(u'>', Qt::SkipEmptyParts))
        f.branches.append(acs::Branch{uint16_t(b.section(':', 0, 0).toInt()), uint16_t(b.section(':', 1).toInt())});
    if (m.captured(4) == "stop"_L1) f.exit_frame = acs::exit_stop;
    else if (!m.captured(4).isEmpty()) f.exit_frame = int16_t(m.captured(4).toInt());
    if (!m.captured(5).isEmpty()) {
        for (int shape = 0; shape < acs::mouth_shape_count; ++shape) {
            acs::MouthOverlay o;
            o.shape = acs::Mouth(shape);
            o.image = uint16_t(image(mouth_base + shape, 1));
            f.overlays.append(o);
        }
    }
    a.frames.append(f);
    return true;
}

bool CaseSketch::read(const QString& line, QString& error)
{
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    const QString kind = words.value(0);
    if (kind == "state"_L1 && words.size() >= 3) {
        data.states.append(acs::State{words[1], words.mid(2)});
        return true;
    }
    if (kind == "drop"_L1 && words.value(1) == "states"_L1 && words.size() == 3) {
        data.states.removeIf([&](const acs::State& s) { return s.name.startsWith(words[2]); });
        return true;
    }
    if (kind != "animation"_L1) return false;
    // animation Name [exits | returns Other]: frames
    const QStringList head = line.section(':', 0, 0).split(u' ', Qt::SkipEmptyParts);
    acs::Animation a;
    a.name = head.value(1);
    a.transition = acs::Transition::None;
    if (head.value(2) == "exits"_L1) a.transition = acs::Transition::ExitBranches;
    if (head.value(2) == "returns"_L1) {
        a.transition = acs::Transition::ReturnAnimation;
        a.return_animation = head.value(3);
    }
    for (const QString& token : line.section(':', 1).split(u' ', Qt::SkipEmptyParts)) {
        if (!add_frame(a, token)) {
            error = u"not a frame: "_s + token;
            return true;
        }
    }
    data.animations.append(a);
    return true;
}

}  // namespace pw::runtime_cases
