// Pellworks: children write small scripts that make characters perform on the desktop.

#include "agent/runtime/agent_platform.h"
#include "agent/ui/desktop_character_view.h"
#include "agent/voice/sphinx_voice_input.h"
#include "app/command_line.h"
#include "app/components.h"
#include "app/covered_windows.h"
#include "app/pellworks_window.h"
#include "app/program_exit.h"
#include "app/program_options.h"
#include "engine/run_state.h"
#include "platform/core/user_folders.h"
#include "platform/desktop/program_starter.h"
#include "platform/desktop/single_instance.h"
#include "platform/desktop/x11_display.h"
#include "windows/message_box.h"
#include "windows/style.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {

int print_and_end(const pw::app::EarlyExit& e)
{
    std::fputs(e.text.toLocal8Bit().constData(), e.on_standard_error ? stderr : stdout);
    return e.code;
}

}  // namespace

int main(int argc, char** argv)
{
    // Programs that scripts start get the environment we were given, before any change.
    pw::platform::remember_start_environment();
    QStringList given;
    for (int i = 1; i < argc; ++i) given << QString::fromLocal8Bit(argv[i]);
    if (const auto e = pw::app::early_exit_for_options(given)) return print_and_end(*e);
    // Without a desktop the toolkit would abort with a message meant for developers.
    if (const auto e = pw::app::early_exit_for_display(qEnvironmentVariable("QT_QPA_PLATFORM"),
                                                       qEnvironmentVariable("DISPLAY"),
                                                       &pw::platform::x11_display_reachable))
        return print_and_end(*e);

    // Characters place their own windows on the screen, which Wayland does not allow.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    // The windows' repaints are small (a clock step twenty times a second during a run,
    // a status panel, what a character uncovers): sent through the socket they cost
    // less than through shared memory, which makes every next repaint wait for a round
    // trip to the X server first. The characters put their frames themselves.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");

    // The program works in its own folder; paths given relative mean the folder it was
    // started in.
    pw::app::make_paths_absolute(QDir::currentPath());

    QApplication app(argc, argv);
    QApplication::setApplicationName(pw::windows::program_title);
    // Before any window: a second start hands its command line to the first and ends.
    pw::platform::SingleInstance instance(pw::platform::SingleInstance::default_name());
    if (!instance.claim(pw::app::with_absolute_path(given, QDir::currentPath()))) return 0;
    pw::windows::style::apply(app);
    pw::app::CoveredWindows covered_windows(&app);

    // Spoken commands come from the default microphone, or from the recording named by
    // PELLWORKS_MIC_FILE. It outlives the platform, which listens through it.
    pw::voice::SphinxVoiceInput voice_input;
    pw::agent::RuntimeOptions options;
    options.voice_input = &voice_input;
    pw::agent::AgentPlatform agent(&pw::agent::make_desktop_view, options);
    pw::engine::RunState state(agent);
    state.exit_program = [&state](int code) { pw::app::end_process_now(state, code); };
    state.user_folder = pw::folders::user_folder();

    pw::app::Pellworks main_window(agent, state);
    QObject::connect(&instance, &pw::platform::SingleInstance::command_line_received, &main_window,
                     [&main_window](const QStringList& arguments) { main_window.take_command_line(arguments); });
    const QString program_folder = state.program_folder;
    main_window.set_process_start_up({
        [program_folder] { QDir::setCurrent(program_folder); },
        [program_folder] { return pw::app::components_installed(program_folder); },
        [program_folder] {
            // Started twice while the components are missing: one installer is enough.
            if (pw::app::component_installer_running(program_folder)) return;
            if (!pw::app::start_component_installer(program_folder))
                std::fprintf(stderr, "Pellworks needs components that are not installed, and %s could not be started.\n",
                             qPrintable(program_folder + QStringLiteral("/") + pw::app::component_installer_name()));
        },
    });
    // Start-up runs from the event loop, as the load handler of a shown window would;
    // a script named on the command line runs inside it.
    QTimer::singleShot(0, &main_window, [&main_window, given] { main_window.start_up(given); });
    return app.exec();
}
