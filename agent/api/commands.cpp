#include "agent/api/commands.h"

#include "agent/api/agent_error.h"

namespace pw::agent {

void Commands::remove_all()
{
    entries_.clear();
    changed();
}

void Commands::add(const QString& name, const QString& caption, const QString& voice,
                   bool enabled, bool visible)
{
    if (find(name))
        throw AgentError(error::command_already_in_use,
                         QStringLiteral("The command \"%1\" is already defined.").arg(name));
    entries_.append(CommandEntry{name, caption, voice, enabled, visible});
    changed();
}

void Commands::remove(const QString& name)
{
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            entries_.removeAt(i);
            changed();
            return;
        }
    }
    throw AgentError(error::command_not_found, QStringLiteral("There is no command \"%1\".").arg(name));
}

const CommandEntry* Commands::find(const QString& name) const
{
    for (const CommandEntry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) return &e;
    return nullptr;
}

QList<CommandEntry> Commands::menu_entries() const
{
    QList<CommandEntry> out;
    for (const CommandEntry& e : entries_)
        if (e.visible && !e.caption.isEmpty()) out.append(e);
    return out;
}

}  // namespace pw::agent
