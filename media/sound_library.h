#pragma once
// The sound library: lists the sounds of the child's sounds folder and, on a double
// click (or Enter) on one, plays it ("Hear me") or adds the line that plays it to the
// script ("Program"). The list follows the folder: a sound recorded, copied in or
// deleted shows up, or goes, while the window is open.

#include "engine/run_state.h"
#include "engine/run_host.h"

#include <QString>
#include <QWidget>

#include <array>

class QFileSystemWatcher;
class QGroupBox;
class QListWidget;
class QRadioButton;
class QTimer;

namespace pw::media {

class SoundLibrary : public QWidget {
    Q_OBJECT
public:
    // The script editor is where Program writes and whose wave device plays.
    SoundLibrary(pw::engine::RunState& state, pw::engine::RunHost& editor, QWidget* parent = nullptr);
    ~SoundLibrary() override;

    // ---- Controls ----
    QGroupBox* sounds_frame = nullptr;
    std::array<QRadioButton*, 2> mode_choice{};  // 0 "Hear me", 1 "Program"
    QListWidget* sound_list = nullptr;

    // Watches the sounds folder of the run state's user folder and lists it.
    void prepare();
    // Lists the folder again; the selected sound stays selected.
    void get_sounds();
    // Hears or programs the selected sound. Hearing returns when the sound is over,
    // cannot be played, or a cancel or Esc stopped it.
    void sound_list_double_clicked();

    QString folder() const;
    QSize sizeHint() const override;
    // The script after Program added the sound: leading blanks of the script go, and
    // the line goes on a new last line, whatever the script ended with.
    static QString programmed_text(const QString& script, const QString& name);

    // Design size of the client area, in twips.
    static constexpr int design_width_twips = 2640;
    static constexpr int design_height_twips = 2370;

private:
    void build_controls();
    void watch_folder();
    void hear(const QString& name);

    pw::engine::RunState& state_;
    pw::engine::RunHost& editor_;
    QFileSystemWatcher* watcher_ = nullptr;
    // Changes come in bursts (a recording is written, then renamed): one listing each.
    QTimer* relist_ = nullptr;
};

}  // namespace pw::media
