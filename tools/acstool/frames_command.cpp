#include "agent/acs/frame_renderer.h"
#include "agent/api/agent_error.h"
#include "tools/acstool/arguments.h"
#include "tools/acstool/commands.h"
#include "tools/acstool/frame_export.h"
#include "tools/acstool/read_character.h"

#include <QDir>

namespace pw::acstool {

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
    for (qsizetype i = 0; i < anim->frames.size(); ++i) {
        const acs::Frame& f = anim->frames[i];
        const QString stem = QStringLiteral("%1_%2").arg(anim->name).arg(i, 3, 10, QLatin1Char('0'));
        save(acs::render_frame(data, f), stem + QStringLiteral(".png"));
        for (const acs::MouthOverlay& o : f.overlays)
            save(acs::render_frame(data, f, o.shape), stem + QStringLiteral("_mouth%1.png").arg(int(o.shape)));
    }
    out << "wrote " << files << " pictures of " << anim->name << " (" << anim->frames.size() << " frames) to "
        << QDir(folder).absolutePath() << "\n";
}

void export_frames(const QStringList& args, QTextStream& out)
{
    expect_arguments(args, 3, "frames FILE.acs ANIMATION DIR");
    export_animation(read_character(args[0]), args[1], args[2], out);
}

}  // namespace pw::acstool
