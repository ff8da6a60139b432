#include "app/cursor_rest.h"

#include <QApplication>
#include <QEvent>

namespace pw::app {

CursorRest::CursorRest(QObject* parent, int rest_after_ms)
    : QObject(parent), flash_time_(QApplication::cursorFlashTime())
{
    rest_.setSingleShot(true);
    rest_.setInterval(rest_after_ms);
    connect(&rest_, &QTimer::timeout, this, [this] {
        // The text editors stop their blink with the cursor shown.
        resting_ = true;
        QApplication::setCursorFlashTime(0);
    });
    rest_.start();
    qApp->installEventFilter(this);
}

CursorRest::~CursorRest()
{
    if (resting_) QApplication::setCursorFlashTime(flash_time_);
}

void CursorRest::wake()
{
    if (resting_) {
        resting_ = false;
        QApplication::setCursorFlashTime(flash_time_);
    }
    rest_.start();
}

bool CursorRest::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
        wake();
        break;
    default:
        break;
    }
    return false;
}

}  // namespace pw::app
