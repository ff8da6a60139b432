// Pellworks: children write small scripts that make characters perform on the desktop.

#include "agent/runtime/agent_platform.h"
#include "agent/ui/desktop_character_view.h"
#include "app/program_exit.h"
#include "engine/pellwick_mod.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    // Characters place their own windows on the screen, which Wayland does not allow.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(pw::stage::program_title);

    pw::agent::AgentPlatform agent(&pw::agent::make_desktop_view);
    pw::engine::pellwick_mod mod(agent);
    mod.exit_program = [&mod](int code) { pw::app::end_process_now(mod, code); };
    mod.version_text = QStringLiteral(PW_VERSION_TEXT);
    mod.set_start_defaults();

    QMainWindow main_window;
    main_window.setWindowTitle(pw::stage::program_title);
    auto* stage = new pw::stage::pellwick_form(agent, mod);
    main_window.setCentralWidget(stage);
    main_window.show();

    // The stage loads its characters from the running event loop, as a window that
    // has just been shown would.
    QTimer::singleShot(0, stage, [stage] { stage->Form_Load(); });
    return app.exec();
}
