#pragma once
// What the script editor asks of the main window: hiding and showing the other windows
// and opening and closing the clock while a script plays, and the Load/Save window.

namespace pw::media {
class ClockWindow;
}

namespace pw::app {

class ChildWindows {
public:
    virtual ~ChildWindows() = default;

    // The stage, the script editor and the sound library.
    virtual void hide_forms() = 0;
    virtual void show_forms() = 0;
    // Opens the clock at the top right corner (again) and shows it.
    virtual void show_clock() = 0;
    virtual void unload_clock() = 0;
    // The open clock, or nullptr.
    virtual pw::media::ClockWindow* clock() const = 0;
    // "Load/Save Script", opened (again) or brought to the front.
    virtual void show_load_save() = 0;
};

}  // namespace pw::app
