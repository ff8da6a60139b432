#include "app/pellworks_window.h"

#include "app/script_form.h"
#include "engine/keyboard_handler.h"
#include "engine/pellwick_mod.h"
#include "engine/spoken_questions.h"
#include "engine/window_keys.h"
#include "media/audio_form.h"
#include "media/clock_form.h"
#include "media/ctime.h"
#include "media/sounds.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"
#include "platform/core/user_folders.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/key_codes.h"
#include "stage/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>

#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

namespace pw::app {

using pw::stage::twips_to_px_x;
using pw::stage::twips_to_px_y;

namespace {
// Where the children stand in the frame, in twips.
constexpr int stage_left = 225, stage_top = 400;
constexpr int script_left = 3330, script_top = 400;
constexpr int sounds_left = 225, sounds_top = 5100;
}  // namespace

Pellworks::Pellworks(pw::agent::AgentControl& agent, pw::engine::pellwick_mod& mod, QWidget* parent)
    : QMainWindow(parent), mod_(mod)
{
    setWindowTitle(pw::stage::program_title);
    key_source_ = pw::platform::make_global_key_source();
    keys_ = std::make_unique<pw::engine::Keyboardhandler>(mod, *key_source_);
    area_ = new QMdiArea(this);
    setCentralWidget(area_);

    stage_ = new pw::stage::pellwick_form(agent, mod);
    stage_window_ = add_child(stage_);
    script_ = new script_form(mod);
    script_window_ = add_child(script_);
    script_->set_child_windows(this);
    script_->set_keyboard_handler(keys_.get());
    connect(stage_, &pw::stage::pellwick_form::cancel_script_wanted, script_, [this] { script_->cancel_it(); });
    connect(stage_, &pw::stage::pellwick_form::main_window_wanted, this, [this] { activateWindow(); });
    sounds_ = new pw::media::sounds(mod, *script_);
    sounds_window_ = add_child(sounds_);
    connect(stage_, &pw::stage::pellwick_form::sound_frame_caption, sounds_,
            [this](const QString& caption) { sounds_->sounds_frame->setTitle(caption); });
    qApp->installEventFilter(this);

    audio = menuBar()->addAction(QStringLiteral("Record Audio"));
    connect(audio, &QAction::triggered, this, [this] { audio_Click(); });

    current_timer = new QTimer(this);
    current_timer->setInterval(1000);
    connect(current_timer, &QTimer::timeout, this, [this] { current_timer_Timer(); });
    current_timer->start();

    resize(twips_to_px_x(12000, this), twips_to_px_y(9000, this));
    place_children();
}

Pellworks::~Pellworks()
{
    qApp->removeEventFilter(this);
    if (mod_.hires_timer == hires_timer_.get()) {
        mod_.hires_timer = nullptr;
        mod_.hires_frequency = 0.0;
    }
    script_->set_child_windows(nullptr);
}

QMdiSubWindow* Pellworks::add_child(QWidget* widget)
{
    QMdiSubWindow* sub = area_->addSubWindow(widget);
    // Closing a child only hides it: its state (the script!) must survive.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    return sub;
}

void Pellworks::place_children()
{
    stage_window_->adjustSize();
    stage_window_->move(twips_to_px_x(stage_left, this), twips_to_px_y(stage_top, this));
    script_->Form_Load();
    script_window_->move(twips_to_px_x(script_left, this), twips_to_px_y(script_top, this));
    sounds_window_->adjustSize();
    sounds_window_->move(twips_to_px_x(sounds_left, this), twips_to_px_y(sounds_top, this));
}

void Pellworks::MDIForm_Load(const QString& arguments)
{
    hires_timer_ = std::make_unique<pw::media::CTime>(mod_.hires_frequency);
    mod_.hires_timer = hires_timer_.get();
    mod_.hires_frequency = hires_timer_->Initialise();
    mod_.set_start_defaults();
    // The child's scripts and sounds, with the starters that came with the program.
    if (!pw::folders::provide_starter_files(mod_.program_folder, mod_.user_folder))
        qWarning("Pellworks cannot make its folder %s: scripts and sounds cannot be kept.",
                 qPrintable(mod_.user_folder));

    const CommandLine command_line = parse_command_line(arguments);
    mod_.command_line_mode = command_line.mode;

    sounds_->Form_Load();

    // Runout: the characters perform on the desktop and the frame stays out of sight.
    stage_window_->show();
    script_window_->show();
    sounds_window_->show();
    if (command_line.mode != 1) showMaximized();

    // The stage loads its characters before any file can run.
    stage_->Form_Load();
    if (command_line.mode != 0) open_command_line_file(command_line);
    if (command_line.mode != 1) activateWindow();
}

void Pellworks::open_command_line_file(const CommandLine& command_line)
{
    if (!load_script_file(command_line.path)) {
        // Start-up goes on past failing steps; the end comes regardless.
        try {
            stage_->get_char(QStringLiteral("pellwick"));
            mod_.char_say(0, missing_file_sentence());
        } catch (const std::exception&) {
        }
        mod_.quit_program(1);
        return;
    }
    if (command_line.mode == 1 || command_line.mode == 2) script_->play_pellwick_Click();
}

bool Pellworks::load_script_file(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    // Reading errors leave the text empty; the run goes ahead all the same.
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    script_->script_text->setPlainText(QString::fromLatin1(bytes));
    script_->set_current_file(file_name_part(path));
    return true;
}

// ---- Quitting ----

void Pellworks::confirm_quit()
{
    pw::engine::confirm_quit(mod_);
}

void Pellworks::current_timer_Timer()
{
    // A Shift+click on a character asks; the question lasts until it has been said.
    if (!mod_.char_clicked) return;
    mod_.char_clicked = false;
    confirm_quit();
}

void Pellworks::closeEvent(QCloseEvent* event)
{
    // The program closing itself goes through; the user's close box only asks.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    event->ignore();
    confirm_quit();
}

bool Pellworks::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyRelease || !watched->isWidgetType()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    // Once per key: where it is delivered first, the widget with the focus.
    QWidget* first = QApplication::focusWidget();
    if (key->isAutoRepeat() || (first ? widget != first : widget != widget->window())) return false;
    const bool ours = stage_->isAncestorOf(widget) || widget == stage_ || script_->isAncestorOf(widget)
                      || widget == script_ || sounds_->isAncestorOf(widget) || widget == sounds_;
    if (!ours) return false;
    pw::engine::Form_KeyUp(mod_, *keys_, *script_, pw::platform::vk_from_key_event(*key),
                           pw::platform::shift_mask_from(key->modifiers()));
    return false;
}

// ---- The children ----

void Pellworks::hide_forms()
{
    stage_window_->hide();
    script_window_->hide();
    sounds_window_->hide();
}

void Pellworks::show_forms()
{
    stage_window_->show();
    script_window_->show();
    sounds_window_->show();
}

void Pellworks::audio_Click()
{
    if (!audio_) {
        audio_ = new pw::media::audio_form(mod_);
        audio_->set_sound_library(sounds_);
        audio_window_ = add_child(audio_);
        audio_window_->adjustSize();
    }
    audio_->Form_Load();
    audio_window_->move(twips_to_px_x(pw::media::audio_form::design_left_twips, this),
                        twips_to_px_y(pw::media::audio_form::design_top_twips, this));
    // Closed from its title bar, the recorder itself was hidden with its frame.
    audio_->show();
    audio_window_->show();
    area_->setActiveSubWindow(audio_window_);
    audio_->afname->setFocus(Qt::OtherFocusReason);
}

void Pellworks::show_clock()
{
    if (!clock_window_) {
        clock_ = new pw::media::clock_form;
        clock_window_ = area_->addSubWindow(clock_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        clock_window_->setAttribute(Qt::WA_DeleteOnClose, false);
        clock_window_->adjustSize();
    }
    // Placed each time: the main window may have changed its size since.
    clock_window_->move(pw::media::clock_form::top_right_position(area_->viewport()->width(),
                                                                  clock_window_->width(), this));
    clock_window_->show();
}

void Pellworks::unload_clock()
{
    if (!clock_window_) return;
    // Called by the runner, never from inside the clock's own events: deleting at once
    // is safe, and a deferred delete would wait for the end of the nested loops.
    QMdiSubWindow* sub = clock_window_;
    clock_window_ = nullptr;
    clock_ = nullptr;
    delete sub;
}

pw::media::clock_form* Pellworks::clock() const
{
    return clock_window_ ? clock_ : nullptr;
}

}  // namespace pw::app
