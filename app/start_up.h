#pragma once
// The order of start-up, apart from what each step does: the program's folder, the
// component check, the clock, the title, the splash, the defaults, the command line,
// the windows and the file. The single-instance check comes before all of it, before
// any window is made (see main()). The steps that take time (the splash, the frame's
// first paint) hand over a continuation: start-up goes on from the event loop.

#include "app/command_line.h"

#include <functional>

namespace pw::app {

class StartUpSteps {
public:
    virtual ~StartUpSteps() = default;
    virtual void enter_program_folder() = 0;
    // False when the marker file is missing.
    virtual bool components_installed() = 0;
    virtual void start_component_installer() = 0;
    virtual void create_clock() = 0;
    virtual void set_title() = 0;
    // Shows the splash; `then` comes once it has gone.
    virtual void show_splash(std::function<void()> then) = 0;
    virtual void set_defaults() = 0;
    // `then` comes once the windows are open.
    virtual void open_windows(const CommandLine& command_line, std::function<void()> then) = 0;
    // Loads the file the command line names and, for runin and runout, plays it.
    virtual void open_file(const CommandLine& command_line) = 0;
};

enum class StartUpEnd {
    Started,
    InstallerStarted,  // the program ends without a window
};

// `arguments` are the program's arguments without its own path. Returns when a check
// ends start-up, or once the steps are under way; `started` comes after the last step.
StartUpEnd run_start_up(StartUpSteps& steps, const QStringList& arguments, std::function<void()> started = {});

}  // namespace pw::app
