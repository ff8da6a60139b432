#include "agent/acs/acs_writer.h"
#include "tools/acstool/arguments.h"
#include "tools/acstool/commands.h"
#include "tools/acstool/frame_export.h"
#include "tools/charbuild/character_builder.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace pw::acstool {

void build(const QStringList& args, QTextStream& out)
{
    expect_arguments(args, 2, "build SOURCE_FOLDER OUT.acs");
    QElapsedTimer clock;
    clock.start();
    const acs::CharacterData data = charbuild::build_character(args[0]);
    acs::write_acs_file(data, args[1]);
    out << "built " << data.name() << ": " << data.animations.size() << " animations, " << data.images.size()
        << " images, " << QFileInfo(args[1]).size() << " bytes in " << clock.elapsed() << " ms -> " << args[1] << "\n";
}

void preview(const QStringList& args, QTextStream& out)
{
    expect_arguments(args, 3, "preview SOURCE_FOLDER ANIMATION DIR");
    charbuild::BuildOptions options;
    options.only_animations << args[1];
    export_animation(charbuild::build_character(args[0], options), args[1], args[2], out);
}

}  // namespace pw::acstool
