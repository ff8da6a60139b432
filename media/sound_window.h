#pragma once
// The audio recorder: records the child's voice into a new sound of the sounds folder.
// The child types a name and presses Record; the window shows how long it has been
// recording and how loud the microphone hears them; Save keeps the sound (it is listed
// in the sound library at once), Quit throws it away after a spoken yes. A recording
// stops by itself after a minute. Nothing is written before Save, and Save writes the
// whole file or nothing; a take that could not be written stays until it is saved
// (under another name, say) or thrown away. A name that could leave the sounds folder
// or is too long is refused, and an existing sound is only replaced after a spoken yes
// (a double click on a character).

#include "engine/run_state.h"

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pw::voice {
class WaveRecorder;
}

namespace pw::media {

class LevelMeter;
class SoundLibrary;

class SoundWindow : public QWidget {
    Q_OBJECT
public:
    explicit SoundWindow(pw::engine::RunState& state, QWidget* parent = nullptr);
    ~SoundWindow() override;

    // ---- Controls ----
    std::array<QPushButton*, 3> action_buttons{};  // 0 "Record", 1 "Save", 2 "Quit"
    QLabel* name_label = nullptr;              // "FileName"
    QLineEdit* name_box = nullptr;           // the new sound's name
    LevelMeter* level_meter = nullptr;
    QLabel* elapsed = nullptr;             // how long the recording is, m:ss
    pw::voice::WaveRecorder* sound_recorder = nullptr;

    // Listed again after every Save; may stay unset.
    void set_sound_library(SoundLibrary* library) { library_ = library; }

    // Every opening starts idle: Record and Quit on, Save off, no name. A take that
    // is not saved yet stays as it is.
    void prepare();
    // 0 Record, 1 Save, 2 Quit; any other index does nothing.
    void action_button_clicked(int index);
    bool is_recording() const;
    // Something was recorded and is neither saved nor thrown away.
    bool has_unsaved_take() const;

    QString folder() const;
    // Where the last Record is going to be kept.
    QString target_path() const { return target_; }

    static constexpr int longest_recording_ms = 60000;
    static QString no_microphone_sentence() { return QStringLiteral("I can't hear a microphone."); }
    static QString not_saved_sentence()
    {
        return QStringLiteral("Oh no, I could not keep that sound. It is still here: try another name and press Save again.");
    }
    // Design size of the client area and place in the main window, in twips.
    static constexpr int design_width_twips = 3075;
    static constexpr int design_height_twips = 1140;
    static constexpr int design_left_twips = 5310;
    static constexpr int design_top_twips = 210;

protected:
    // Closing the window is Quit: an unsaved take is only thrown away after a yes.
    void closeEvent(QCloseEvent* event) override;

private:
    void build_controls();
    void record();
    void start_recording(const QString& path);
    void save();
    // Writes the take to path and closes, or says why it could not.
    void keep_take(const QString& path);
    // Asks first when there is a take to lose; true when the window may go now (after
    // a yes it goes by itself).
    bool quit();
    // Stops a recording; its samples stay in take_.
    void end_take();
    // Ends a take's controls: Record and Quit on, Save on while a take waits.
    void show_idle();
    void show_recording(bool on);
    void show_length(qint64 ms);
    // The window's frame in the main window, or the window itself.
    QWidget* frame();
    // Hides the window (in the main window, its frame).
    void unload();
    // The current character says it, shown first when hidden.
    void say(const QString& text);
    // Asks with the current character (Pellwick without one); nothing else can be
    // pressed meanwhile. on_yes runs after a yes.
    using Question = void (*)(pw::engine::RunState&, QObject*, std::function<void(bool)>);
    void ask(Question question, std::function<void()> on_yes);

    pw::engine::RunState& state_;
    SoundLibrary* library_ = nullptr;
    QString target_;
    QByteArray take_;  // the stopped take until it is saved or thrown away
    bool asking_ = false;
};

}  // namespace pw::media
