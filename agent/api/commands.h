#pragma once
// A character's commands: the entries of its pop-up menu and its voice commands.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace pw::agent {

struct CommandEntry {
    QString name;
    QString caption;  // pop-up menu text; "&" marks the accelerator
    QString voice;    // voice grammar text, e.g. "Cancel [Script]"; empty: not spoken
    bool enabled = true;
    bool visible = true;  // shown in the pop-up menu
};

class Commands {
public:
    void remove_all();
    // Throws AgentError 0x80042007 when a command of that name (case ignored) exists.
    void add(const QString& name, const QString& caption = {}, const QString& voice = {},
             bool enabled = true, bool visible = true);
    void remove(const QString& name);

    const QList<CommandEntry>& entries() const { return entries_; }
    const CommandEntry* find(const QString& name) const;
    // What the pop-up menu shows: visible, captioned commands in order.
    QList<CommandEntry> menu_entries() const;

    QString caption() const { return caption_; }
    void set_caption(const QString& c);
    QString voice() const { return voice_; }
    void set_voice(const QString& v);
    QString voice_caption() const { return voice_caption_; }
    void set_voice_caption(const QString& v);
    bool global_voice_commands_enabled() const { return global_voice_; }
    void set_global_voice_commands_enabled(bool on);

    // Called after every change (the listener rebuilds its grammar from it).
    void set_on_change(std::function<void()> f) { on_change_ = std::move(f); }
    // When set, every call is written to the trace as a request of that character.
    void set_trace_id(const QString& character_id) { trace_id_ = character_id; }

private:
    void changed() { if (on_change_) on_change_(); }
    void trace(const QString& operation, const QStringList& args = {}) const;

    QList<CommandEntry> entries_;
    QString caption_;
    QString voice_;
    QString voice_caption_;
    bool global_voice_ = true;
    std::function<void()> on_change_;
    QString trace_id_;
};

}  // namespace pw::agent
