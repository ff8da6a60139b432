#include "tools/acstool/arguments.h"
#include "tools/acstool/commands.h"
#include "tools/acstool/read_character.h"

#include <QFileInfo>

namespace pw::acstool {

namespace {

QString transition_text(const acs::Animation& a)
{
    switch (a.transition) {
    case acs::Transition::ReturnAnimation: return QStringLiteral("then ") + a.return_animation;
    case acs::Transition::ExitBranches: return QStringLiteral("returns by exit branches");
    case acs::Transition::None: break;
    }
    return {};
}

bool loops(const acs::Animation& a)
{
    for (qsizetype i = 0; i < a.frames.size(); ++i)
        for (const acs::Branch& b : a.frames[i].branches)
            if (b.frame <= i) return true;
    return false;
}

// How long the animation plays when nothing interrupts it, following only sure
// jumps: to its end, or to where it starts to repeat. Return frames are left out.
int played_ms(const acs::Animation& a)
{
    int total = 0;
    QList<bool> seen(a.frames.size(), false);
    for (qsizetype i = 0; i < a.frames.size() && !seen[i];) {
        seen[i] = true;
        total += a.frames[i].duration * 10;
        qsizetype next = i + 1;
        for (const acs::Branch& b : a.frames[i].branches)
            if (b.probability == 100) next = b.frame;
        i = next;
    }
    return total;
}

}  // namespace

void show_info(const QStringList& args, QTextStream& out)
{
    expect_arguments(args, 1, "info FILE.acs");
    const acs::CharacterData data = read_character(args[0]);
    out << data.name() << "  (" << QFileInfo(args[0]).fileName() << ", "
        << QFileInfo(args[0]).size() << " bytes)\n";
    if (const acs::LocalizedInfo* info = data.info(); info && !info->description.isEmpty())
        out << "  " << info->description << "\n";
    out << "  id " << data.guid.toString() << ", version " << data.version_major << "." << data.version_minor << "\n";
    out << "  frame " << data.width << " x " << data.height << " pixels, " << data.palette.size()
        << " colours, transparent index " << data.transparent_index << "\n";
    // Loading time grows with the pixels to unpack, more than with the file's size.
    qint64 pixels = 0;
    for (const acs::Image& img : data.images) pixels += qint64(img.width) * img.height;
    out << "  " << data.images.size() << " images (" << QString::number(double(pixels) / 1e6, 'f', 1)
        << " million pixels), " << data.sounds.size() << " sounds, " << data.animations.size() << " animations\n";
    if (data.voice)
        out << "  voice \"" << data.voice->style << "\", " << data.voice->speed << " words a minute, pitch "
            << data.voice->pitch << "\n";
    if (data.balloon)
        out << "  balloon " << data.balloon->lines << " lines of " << data.balloon->chars_per_line << " characters, "
            << data.balloon->font_name << " " << -data.balloon->font_height << " px\n";

    out << "\nStates\n";
    for (const acs::State& s : data.states) out << "  " << s.name << ": " << s.animations.join(QStringLiteral(", ")) << "\n";

    out << "\nAnimations (frames in the file; how long they play through, to where they repeat)\n";
    int width = 0;
    for (const acs::Animation& a : data.animations) width = std::max(width, int(a.name.size()));
    for (const acs::Animation& a : data.animations) {
        int overlays = 0;
        for (const acs::Frame& f : a.frames)
            if (!f.overlays.isEmpty()) ++overlays;
        out << "  " << a.name.leftJustified(width) << "  " << QString::number(a.frames.size()).rightJustified(3)
            << " frames  " << QString::number(played_ms(a)).rightJustified(6) << " ms";
        QStringList notes;
        if (const QString t = transition_text(a); !t.isEmpty()) notes << t;
        if (loops(a)) notes << QStringLiteral("loops");
        if (overlays) notes << QStringLiteral("speaks in %1 frame%2").arg(overlays).arg(overlays > 1 ? "s" : "");
        if (!notes.isEmpty()) out << "  (" << notes.join(QStringLiteral("; ")) << ")";
        out << "\n";
    }
}

}  // namespace pw::acstool
