#pragma once
// The character stage: loads every character file into the run state's table, lists
// the characters and the actions of the chosen one, greets the user, and turns the
// character platform's events into run-state changes.

#include "agent/api/agent_control.h"
#include "engine/run_state.h"
#include "engine/run_host.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace pw::stage {

class StageWindow : public QWidget {
    Q_OBJECT
public:
    StageWindow(pw::agent::AgentControl& agent, pw::engine::RunState& state,
                  QWidget* parent = nullptr);
    ~StageWindow() override;

    // ---- Controls ----
    std::array<QRadioButton*, 2> mode_choice{};  // 0 "Show me", 1 "Program"
    QLabel* character_label = nullptr;
    QComboBox* char_avail = nullptr;
    QGroupBox* AnimationFrame = nullptr;
    QListWidget* animation_list = nullptr;
    pw::agent::AgentControl& agent_;

    // Where the character files are looked for (see character_folders.h); set from
    // the program folder at construction, tests may point it elsewhere.
    QStringList char_folders;
    // The screen rectangle a character must not be put over (the Script window, so
    // that a child's clicks land on the script); empty when nothing is to be kept free.
    std::function<QRect()> keep_free;

    // Start-up of the stage: loads every character, fills the lists, greets. Without
    // Pellwick the program ends.
    void prepare();
    // Loads or reloads one character by id into the table; failures are reported in
    // a message box and leave the slot empty. For a run it neither lets events run nor
    // waits for the box to be closed.
    void get_char(const QString& id, bool for_run = false);
    void InitPopupMenuCmds();
    void get_general_commands();
    void char_avail_clicked();
    // The composer: the chosen entry of the action list is shown by a character
    // ("Show me") or added to the script ("Program"). Enter in the list does the same.
    void animation_list_double_clicked();
    // The script editor that "Program" adds lines to; may stay unset (nothing is added).
    void set_script_editor(pw::engine::RunHost* editor) { editor_ = editor; }

    // Texts of the stage, also used by tests.
    static QString greeting() { return QStringLiteral("Hi, I'm Pellwick."); }
    static QString missing_pellwick_message()
    {
        return QStringLiteral("You must have at least Pellwick properly installed!");
    }
    static QString load_error_message(const QString& id);
    // Panel 2 of the main window: where a character's reference point stands.
    static QString position_text(int left, int top, int width, int height);

    // Where a character of `size` goes when `wanted` (top-left, screen pixels) would put
    // it over the Script window: beside it, as near as the screen allows.
    QPoint place_clear_of_script(QPoint wanted, QSize size) const;
    // The screen rectangles of the visible characters.
    QList<QRect> character_rects() const;

Q_SIGNALS:
    // The sound library's frame caption ("&Sounds for All") after a character load.
    void sound_frame_caption(const QString& caption);
    // The "Cancel Script" command or a double click during a run: the script editor
    // cancels the run.
    void cancel_script_wanted();
    // A character moved: the text for panel 2 of the main window's status bar.
    void character_position_text(const QString& text);
    // A double click on a character hands the focus to the main window.
    void main_window_wanted();
    // The action list needs more width to show its entries whole.
    void list_widened();
    // "Program" added a line at the end of the script.
    void script_line_added();

public Q_SLOTS:
    void agent_clicked(const QString& character_id, int button, int shift, int x, int y);
    void agent_double_clicked(const QString& character_id, int button, int shift, int x, int y);
    void agent_command_heard(const pw::agent::UserInput& input);
    void agent_request_complete(const pw::agent::Request& request);
    void agent_moved(const QString& character_id, int x, int y, int cause);

private:
    void build_controls();
    // Widens the action list so that the general commands and the command lines of
    // these characters show whole; it never gets narrower.
    void fit_list_to_entries(const QStringList& ids);
    void connect_agent_events();
    // Where this window stands, in pixels: inside a multiple-document area its place
    // there, otherwise its top-level window's place on the screen.
    QPoint window_position() const;
    // A slot for a character that is not in the table.
    int free_slot();
    void greet_or_end();
    bool eventFilter(QObject* watched, QEvent* event) override;

    pw::engine::RunState& state_;
    pw::engine::RunHost* editor_ = nullptr;
};

}  // namespace pw::stage
