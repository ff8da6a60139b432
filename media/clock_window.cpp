#include "media/clock_window.h"

#include "media/clock_dial.h"
#include "windows/twips.h"

#include <QVBoxLayout>

namespace pw::media {

using pw::windows::twips_to_px_x;
using pw::windows::twips_to_px_y;

ClockWindow::ClockWindow(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Clock"));
    dial = new ClockDial(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(dial);
    // The design size, grown so that the title bar shows the whole "Clock" beside the
    // window icon in the program's font.
    const int title_room = fontMetrics().horizontalAdvance(windowTitle()) + 3 * fontMetrics().height() + 8;
    setMinimumWidth(title_room);
    setMinimumHeight(title_room * 2 / 3);
    resize(QSize(twips_to_px_x(630, this), twips_to_px_y(615, this)).expandedTo(minimumSize()));
}

void ClockWindow::advance()
{
    const int next = dial->value() + 1;
    dial->setValue(next > last_value ? 0 : next);
}

void ClockWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Q_EMIT shown_or_hidden();
}

void ClockWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Q_EMIT shown_or_hidden();
}

QPoint ClockWindow::top_right_position(int area_width, int window_width, const QWidget* for_dpi)
{
    int left = area_width - twips_to_px_x(850, for_dpi);
    left = qMin(left, area_width - window_width);
    return {qMax(0, left), twips_to_px_y(50, for_dpi)};
}

}  // namespace pw::media
