#include "agent/ui/character_menu.h"

#include <QAction>
#include <QMenu>

namespace pw::agent::ui {

void fill_command_menu(QMenu& menu, const QList<CommandEntry>& entries)
{
    menu.clear();
    for (const CommandEntry& entry : entries) {
        if (!entry.visible)
            continue;
        QAction* action = menu.addAction(entry.caption.isEmpty() ? entry.name : entry.caption);
        action->setData(entry.name);
        action->setEnabled(entry.enabled);
    }
}

}  // namespace pw::agent::ui
