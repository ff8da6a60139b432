#include "app/covered_windows.h"

#include "agent/ui/x11_desktop.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace pw::app {

CoveredWindows::CoveredWindows(QObject* parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

bool CoveredWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Characters and balloons are shaped and see-through, and lie on top.
        if (widget->isWindow() && !widget->testAttribute(Qt::WA_TranslucentBackground))
            pw::agent::ui::keep_covered_pixels(widget->winId());
    }
    return false;
}

}  // namespace pw::app
