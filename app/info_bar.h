#pragma once
// The main window's status bar: the time and date, where the last character moved,
// the mouse over the frame's background, and the free space of a volume. A click on
// the free-space panel steps to the next volume.

#include "app/status_panel.h"
#include "platform/core/volumes.h"

#include <QDateTime>
#include <QList>
#include <QStatusBar>

#include <functional>
#include <optional>

class QTimer;

namespace pw::app {

class InfoBar : public QStatusBar {
    Q_OBJECT
public:
    // Where the facts come from; the real clock and volumes unless a test says otherwise.
    struct Sources {
        std::function<QDateTime()> now;
        std::function<QList<pw::platform::Volume>()> volumes;
        std::function<std::optional<double>(const QString& mount_point)> free_kilobytes;
    };

    explicit InfoBar(QWidget* parent = nullptr);
    void set_sources(Sources sources);

    // Panels 1 to 4, left to right.
    StatusPanel* panel(int number) const;
    QString panel_text(int number) const;

    QTimer* minute_timer = nullptr;  // panel 1, just after each minute turns (at most 10 s apart)
    void minute_timer_ticked();
    // Panel 4; the main window's one-second timer calls it.
    void show_free_space();
    void set_character_position(const QString& text);
    void show_mouse_position(int x, int y);
    // Only panel 4 reacts: the next volume, shown at the next tick.
    void info_PanelClick(int number);

    // The volume list as read at start-up, the home volume first.
    QList<pw::platform::Volume> drives;
    int first_drive_index = 0;
    int drive_index = 0;
    QString shown_drive;  // mount point of the volume in panel 4

private:
    Sources sources_;
    QList<StatusPanel*> panels_;
};

}  // namespace pw::app
