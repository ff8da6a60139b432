#pragma once
// Keeps the script that is not in a file yet: a few seconds after a change (and when
// the program ends) the editor's text is written, atomically, to the child's folder;
// the next plain start brings it back. A text that is in a file (saved or loaded, and
// unchanged since) is not kept twice. A kept text that the editor no longer holds is
// never overwritten: before the next write it is moved into the scripts folder as
// "unsaved script.csp" (or "unsaved script 2.csp", ...), where the child finds it.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace pw::app {

class Autosave : public QObject {
    Q_OBJECT
public:
    // `text` reads the editor's text when it is time to write.
    Autosave(std::function<QString()> text, QObject* parent = nullptr);

    // The child's folder (the kept text goes to its top); empty: nothing is kept.
    void set_folder(const QString& user_folder);
    QString file_path() const;
    void set_delay_ms(int ms) { timer_.setInterval(ms); }
    int delay_ms() const { return timer_.interval(); }

    // The editor changed: the text is written when the delay is over. Typing on does
    // not put the write off.
    void changed();
    // Writes now when a change is waiting (the program is ending).
    void write_pending();
    // The kept text, when there is one, for the editor to show; the kept file then
    // belongs to this editor.
    std::optional<QString> take_back();
    // The editor's text was written to a file: a kept copy is not needed any more.
    void saved_to_file(const QString& text);
    // A file's text replaced the editor's: what was kept (at most a few seconds
    // older than the text it replaced) stays, and is moved aside before the next write.
    void loaded_from_file(const QString& text);

    // Whether the text last read differed from the one in a file (for tests and the
    // status).
    bool pending() const { return timer_.isActive(); }

Q_SIGNALS:
    // The kept copy could not be written; said once until a write works again.
    void cannot_keep(const QString& reason);

private:
    void write();
    bool move_aside();

    std::function<QString()> text_;
    QString folder_;
    QTimer timer_;
    QString file_text_;        // the text as it is in a file; empty when in none
    bool file_is_ours_ = false;  // the kept file holds this editor's text
    bool failing_ = false;       // the last write did not work
};

// Equal apart from the line breaks at the end (a save adds one, a run adds one).
bool same_script(const QString& a, const QString& b);

}  // namespace pw::app
