#include "agent/acs/frame_renderer.h"
#include "agent/api/agent_error.h"
#include "tools/acstool/arguments.h"
#include "tools/acstool/commands.h"
#include "tools/acstool/frame_export.h"
#include "tools/acstool/read_character.h"

#include <QDir>

namespace pw::acstool {

namespace {

bool is_blank(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(line[x]) != 0) return false;
    }
    return true;
}

QString skipped_text(const QStringList& frames)
{
    return frames.size() == 1
               ? QStringLiteral("skipped frame %1: it shows nothing for no time (it only branches)").arg(frames[0])
               : QStringLiteral("skipped frames %1: they show nothing for no time (they only branch)")
                     .arg(frames.join(QStringLiteral(", ")));
}

}  // namespace

void export_animation(const acs::CharacterData& data, const QString& name, const QString& folder, QTextStream& out)
{
    const acs::Animation* anim = data.animation(name);
    if (!anim)
        throw agent::AgentError(agent::error::animation_not_found,
                                QStringLiteral("there is no animation named \"%1\"").arg(name));
    if (!QDir().mkpath(folder))
        throw agent::AgentError(agent::error::file_not_found, QStringLiteral("cannot make folder %1").arg(folder));
    const QDir dir(folder);
    int files = 0;
    const auto save = [&](const QImage& img, const QString& file) {
        if (!img.save(dir.filePath(file)))
            throw agent::AgentError(agent::error::file_not_found, QStringLiteral("cannot write %1").arg(dir.filePath(file)));
        ++files;
    };
    QStringList skipped;
    for (qsizetype i = 0; i < anim->frames.size(); ++i) {
        const acs::Frame& f = anim->frames[i];
        const QImage picture = acs::render_frame(data, f);
        // The player never shows a frame of no time; one that draws nothing either is
        // only a branch (the jump at the start of an animation with return frames).
        if (f.duration == 0 && f.overlays.isEmpty() && is_blank(picture)) {
            skipped << QString::number(i);
            continue;
        }
        const QString stem = QStringLiteral("%1_%2").arg(anim->name).arg(i, 3, 10, QLatin1Char('0'));
        save(picture, stem + QStringLiteral(".png"));
        for (const acs::MouthOverlay& o : f.overlays)
            save(acs::render_frame(data, f, o.shape), stem + QStringLiteral("_mouth%1.png").arg(int(o.shape)));
    }
    out << "wrote " << files << " pictures of " << anim->name << " (" << anim->frames.size() << " frames) to "
        << QDir(folder).absolutePath() << "\n";
    if (!skipped.isEmpty()) out << skipped_text(skipped) << "\n";
}

void export_frames(const QStringList& args, QTextStream& out)
{
    expect_arguments(args, 3, "frames FILE.acs ANIMATION DIR");
    export_animation(read_character(args[0]), args[1], args[2], out);
}

}  // namespace pw::acstool
