#pragma once
// A character's commands: the entries of its pop-up menu and its voice commands.

#include <QList>
#include <QString>
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
    void set_caption(const QString& c) { caption_ = c; changed(); }
    QString voice() const { return voice_; }
    void set_voice(const QString& v) { voice_ = v; changed(); }
    QString voice_caption() const { return voice_caption_; }
    void set_voice_caption(const QString& v) { voice_caption_ = v; changed(); }
    bool global_voice_commands_enabled() const { return global_voice_; }
    void set_global_voice_commands_enabled(bool on) { global_voice_ = on; changed(); }

    // Called after every change (the listener rebuilds its grammar from it).
    void set_on_change(std::function<void()> f) { on_change_ = std::move(f); }

private:
    void changed() { if (on_change_) on_change_(); }

    QList<CommandEntry> entries_;
    QString caption_;
    QString voice_;
    QString voice_caption_;
    bool global_voice_ = true;
    std::function<void()> on_change_;
};

}  // namespace pw::agent
