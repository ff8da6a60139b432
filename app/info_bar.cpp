#include "app/info_bar.h"

#include "app/status_texts.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStorageInfo>
#include <QTimer>

namespace pw::app {

info_bar::info_bar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    static const char* const names[] = {"Time and date", "Character position", "Mouse position", "Free space"};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(this);
        // A screen reader reads the text itself as the name; the kind of panel comes after.
        label->setAccessibleDescription(QLatin1String(names[i]));
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->installEventFilter(this);
        // The texts never make the frame wider: a narrow frame cuts them short.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(40);
        addWidget(label, i == 0 ? 2 : 1);
        panels_ << label;
    }
    panels_[3]->setCursor(Qt::PointingHandCursor);
    panels_[3]->setToolTip(QStringLiteral("Click to see the next drive"));

    Timer2 = new QTimer(this);
    Timer2->setTimerType(Qt::PreciseTimer);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    set_sources({[] { return QDateTime::currentDateTime(); }, [] { return pw::platform::real_volumes(); },
                 &pw::platform::free_kilobytes});
    Timer2->start();
}

void info_bar::set_sources(Sources sources)
{
    sources_ = std::move(sources);
    drives = sources_.volumes();
    // The volume of the home folder is listed first; panel 4 starts there.
    first_drive_index = 0;
    drive_index = first_drive_index;
    shown_drive = drives.isEmpty() ? QDir::homePath() : drives[drive_index].mount_point;
    Timer2_Timer();
    show_free_space();
}

QLabel* info_bar::panel(int number) const
{
    return panels_.value(number - 1);
}

QString info_bar::panel_text(int number) const
{
    const QLabel* l = panel(number);
    return l ? l->text() : QString();
}

void info_bar::Timer2_Timer()
{
    const QDateTime now = sources_.now();
    panels_[0]->setText(time_and_date_text(now));
    // The panel shows whole minutes: the next tick comes just after the minute turns,
    // and within ten seconds anyway, so that a clock set anew (or a computer waking
    // from sleep) shows the right time soon.
    const int to_next_minute = 60000 - (now.time().second() * 1000 + now.time().msec());
    Timer2->setInterval(qMin(to_next_minute + 20, 10000));
}

void info_bar::show_free_space()
{
    const QString drive = drive_index < drives.size() ? drives[drive_index].drive : pw::platform::drive_name(shown_drive);
    panels_[3]->setText(free_space_text(drive, sources_.free_kilobytes(shown_drive)));
}

void info_bar::set_character_position(const QString& text)
{
    panels_[1]->setText(text);
}

void info_bar::MDIForm_MouseMove(int x, int y)
{
    panels_[2]->setText(mouse_text(x, y));
}

void info_bar::info_PanelClick(int number)
{
    if (!panel_text(number).startsWith(QLatin1String("Free")) || drives.isEmpty()) return;
    drive_index = next_drive_index(drive_index, first_drive_index, int(drives.size()));
    shown_drive = drives[drive_index].mount_point;
}

bool info_bar::event(QEvent* event)
{
    // A panel's new text asks the bar to lay itself out again, and the bar then paints
    // all of itself and every panel. While the panels keep their places and heights
    // nothing moves, and the panel whose text changed paints itself alone.
    if (event->type() == QEvent::LayoutRequest) {
        QList<QRect> places{QRect(0, 0, fontMetrics().height(), height())};
        for (const QLabel* label : std::as_const(panels_))
            places << label->geometry() << QRect(0, 0, 0, label->minimumSizeHint().height());
        if (places == places_) return QWidget::event(event);
        places_ = places;
    }
    return QStatusBar::event(event);
}

bool info_bar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const qsizetype i = panels_.indexOf(static_cast<QLabel*>(watched));
        if (i >= 0 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) info_PanelClick(int(i) + 1);
    }
    return false;
}

}  // namespace pw::app
