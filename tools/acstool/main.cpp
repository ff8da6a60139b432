// acstool: look inside character files, export an animation's frames as PNG pictures,
// and build our own characters from their source folders.

#include "agent/api/agent_error.h"
#include "tools/acstool/commands.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

const char* const usage =
    "usage:\n"
    "  acstool info FILE.acs                      names, frame size, states, animations\n"
    "  acstool frames FILE.acs ANIMATION DIR      that animation's frames as PNG files\n"
    "  acstool build SOURCE_FOLDER OUT.acs        build a character from its source art\n"
    "  acstool preview SOURCE_FOLDER ANIMATION DIR  build one animation and export it\n";

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty()) {
        err << usage;
        return 1;
    }
    const QString command = args.takeFirst();
    try {
        if (command == QStringLiteral("info")) pw::acstool::show_info(args, out);
        else if (command == QStringLiteral("frames")) pw::acstool::export_frames(args, out);
        else if (command == QStringLiteral("build")) pw::acstool::build(args, out);
        else if (command == QStringLiteral("preview")) pw::acstool::preview(args, out);
        else {
            err << "acstool: unknown command \"" << command << "\"\n" << usage;
            return 1;
        }
    } catch (const pw::agent::AgentError& e) {
        out.flush();
        err << "acstool: " << e.text() << " (" << e.number_text() << ")\n";
        return 1;
    }
    return 0;
}
