#include "agent/ui/window_stacking.h"

#include <QApplication>
#include <QWidget>

namespace pw::agent::ui {

void raise_below_dialogs(QWidget& window)
{
    window.raise();
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != &window)
        dialog->raise();
}

}  // namespace pw::agent::ui
