#include "app/info_bar.h"

#include "app/status_texts.h"

#include <QDir>
#include <QStorageInfo>
#include <QTimer>

namespace pw::app {

InfoBar::InfoBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    static const char* const names[] = {"Time and date", "Character position", "Mouse position", "Free space"};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new StatusPanel(this);
        // A screen reader reads the text itself as the name; the kind of panel comes after.
        panel->setAccessibleDescription(QLatin1String(names[i]));
        connect(panel, &StatusPanel::clicked, this, [this, i] { info_PanelClick(i + 1); });
        addWidget(panel, i == 0 ? 2 : 1);
        panels_ << panel;
    }
    panels_[3]->setCursor(Qt::PointingHandCursor);
    panels_[3]->setToolTip(QStringLiteral("Click to see the next drive"));

    minute_timer = new QTimer(this);
    minute_timer->setTimerType(Qt::PreciseTimer);
    connect(minute_timer, &QTimer::timeout, this, [this] { minute_timer_ticked(); });
    set_sources({[] { return QDateTime::currentDateTime(); }, [] { return pw::platform::real_volumes(); },
                 &pw::platform::free_kilobytes});
    minute_timer->start();
}

void InfoBar::set_sources(Sources sources)
{
    sources_ = std::move(sources);
    drives = sources_.volumes();
    // The volume of the home folder is listed first; panel 4 starts there.
    first_drive_index = 0;
    drive_index = first_drive_index;
    shown_drive = drives.isEmpty() ? QDir::homePath() : drives[drive_index].mount_point;
    minute_timer_ticked();
    show_free_space();
}

StatusPanel* InfoBar::panel(int number) const
{
    return panels_.value(number - 1);
}

QString InfoBar::panel_text(int number) const
{
    const StatusPanel* l = panel(number);
    return l ? l->text() : QString();
}

void InfoBar::minute_timer_ticked()
{
    const QDateTime now = sources_.now();
    panels_[0]->setText(time_and_date_text(now));
    // The panel shows whole minutes: the next tick comes just after the minute turns,
    // and within ten seconds anyway, so that a clock set anew (or a computer waking
    // from sleep) shows the right time soon.
    const int to_next_minute = 60000 - (now.time().second() * 1000 + now.time().msec());
    minute_timer->setInterval(qMin(to_next_minute + 20, 10000));
}

void InfoBar::show_free_space()
{
    const QString drive = drive_index < drives.size() ? drives[drive_index].drive : pw::platform::drive_name(shown_drive);
    panels_[3]->setText(free_space_text(drive, sources_.free_kilobytes(shown_drive)));
}

void InfoBar::set_character_position(const QString& text)
{
    panels_[1]->setText(text);
}

void InfoBar::show_mouse_position(int x, int y)
{
    panels_[2]->setText(mouse_text(x, y));
}

void InfoBar::info_PanelClick(int number)
{
    if (!panel_text(number).startsWith(QLatin1String("Free")) || drives.isEmpty()) return;
    drive_index = next_drive_index(drive_index, first_drive_index, int(drives.size()));
    shown_drive = drives[drive_index].mount_point;
}

}  // namespace pw::app
