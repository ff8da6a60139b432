#pragma once
// "Load/Save Script": lists the child's scripts, lets them pick or type a name, loads a
// script into the editor or saves the editor's text. Writing over a script asks first:
// the current character asks, and a double click on a character says yes. A name is a
// plain file name in the scripts folder; whatever goes wrong is said by the character
// and explained in a message box, and loses nothing.

#include "app/script_file.h"
#include "engine/run_state.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace pw::app {

class ScriptWindow;

class LoadSaveWindow : public QWidget {
    Q_OBJECT
public:
    LoadSaveWindow(pw::engine::RunState& state, ScriptWindow& editor, QWidget* parent = nullptr);

    // ---- Controls ----
    QPushButton* load = nullptr;
    QPushButton* save_button = nullptr;
    QPushButton* cancel = nullptr;
    QLineEdit* file_name_box = nullptr;    // the name being loaded or saved
    QListWidget* file_list = nullptr;  // the scripts of the folder, sorted, case ignored

    // The last text of file_name_box; it outlives closing and comes back at the next opening.
    QString script_file_name;

    // ---- Handlers ----
    // Opening (again after it was closed): lists the folder, puts the last name back,
    // stands at its first place; Load and Save wait for a name.
    void prepare();
    void file_name_changed();
    void file_list_clicked();
    // Loads the chosen script; the editor's status bar then names it.
    void file_list_double_clicked();
    // Loads the named script into the editor and hides; true when it was loaded.
    bool load_clicked();
    // Saves the editor's text, asking before it writes over a script; closes when saved.
    void save_clicked();
    void cancel_clicked();

    // Closed (Save, Cancel, the close box) until prepare opens it again. Load only
    // hides it: it comes back as it was.
    bool is_open() const { return open_; }
    QString folder() const;
    QStringList listed_names() const;
    // Where the window stands when it opens, in twips inside the main window.
    static constexpr int design_left = 5820;
    static constexpr int design_top = 1845;
    static constexpr int design_width = 2955;
    static constexpr int design_height = 3225;

    static QString name_sentence(NameProblem problem);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void refresh_list();
    void watch_folder();
    void hide_window();
    void unload();
    // Writes the editor's text to the file (`name` in the folder) and closes.
    void write_script(const QString& path, const QString& name);
    // Says why the name will not do; false then.
    bool name_is_usable(const QString& name);

    pw::engine::RunState& state_;
    ScriptWindow& editor_;
    QFileSystemWatcher watcher_;
    bool open_ = false;
};

}  // namespace pw::app
