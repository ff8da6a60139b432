#include "agent/api/commands.h"

#include "agent/api/agent_error.h"
#include "platform/core/trace.h"

namespace pw::agent {

void Commands::trace(const QString& operation, const QStringList& args) const
{
    if (!trace_id_.isEmpty()) trace::request(trace_id_, operation, args);
}

namespace {
QString truth(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }
}  // namespace

void Commands::set_caption(const QString& c)
{
    trace(QStringLiteral("set"), {QStringLiteral("Commands.Caption"), trace::quote(c)});
    caption_ = c;
    changed();
}

void Commands::set_voice(const QString& v)
{
    trace(QStringLiteral("set"), {QStringLiteral("Commands.Voice"), trace::quote(v)});
    voice_ = v;
    changed();
}

void Commands::set_voice_caption(const QString& v)
{
    trace(QStringLiteral("set"), {QStringLiteral("Commands.VoiceCaption"), trace::quote(v)});
    voice_caption_ = v;
    changed();
}

void Commands::set_global_voice_commands_enabled(bool on)
{
    trace(QStringLiteral("set"), {QStringLiteral("Commands.GlobalVoiceCommandsEnabled"), truth(on)});
    global_voice_ = on;
    changed();
}

void Commands::remove_all()
{
    trace(QStringLiteral("Commands.RemoveAll"));
    entries_.clear();
    changed();
}

void Commands::add(const QString& name, const QString& caption, const QString& voice,
                   bool enabled, bool visible)
{
    trace(QStringLiteral("Commands.Add"), {trace::quote(name), trace::quote(caption),
                                           trace::quote(voice), truth(enabled), truth(visible)});
    if (find(name))
        throw AgentError(error::command_already_in_use,
                         QStringLiteral("The command \"%1\" is already defined.").arg(name));
    entries_.append(CommandEntry{name, caption, voice, enabled, visible});
    changed();
}

void Commands::remove(const QString& name)
{
    trace(QStringLiteral("Commands.Remove"), {trace::quote(name)});
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
