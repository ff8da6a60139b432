#include "app/start_up.h"

namespace pw::app {

StartUpEnd run_start_up(StartUpSteps& steps, const QStringList& arguments, std::function<void()> started)
{
    steps.enter_program_folder();
    if (!steps.components_installed()) {
        steps.start_component_installer();
        return StartUpEnd::InstallerStarted;
    }
    steps.create_clock();
    steps.set_title();
    steps.show_splash([&steps, arguments, started = std::move(started)] {
        steps.set_defaults();
        const CommandLine command_line = parse_command_line(arguments);
        steps.open_windows(command_line, [&steps, command_line, started] {
            if (command_line.mode != 0) steps.open_file(command_line);
            if (started) started();
        });
    });
    return StartUpEnd::Started;
}

}  // namespace pw::app
