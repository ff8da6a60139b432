#include "app/pellworks_window.h"

#include "app/cursor_rest.h"
#include "app/help_window.h"
#include "app/info_bar.h"
#include "app/load_save_window.h"
#include "app/script_window.h"
#include "engine/keyboard_handler.h"
#include "engine/run_state.h"
#include "engine/spoken_questions.h"
#include "engine/window_keys.h"
#include "media/sound_window.h"
#include "media/monotonic_clock.h"
#include "media/sound_library.h"
#include "platform/core/trace.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/key_codes.h"
#include "stage/stage_window.h"
#include "windows/twips.h"
#include "windows/window_waits.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace pw::app {

using pw::windows::twips_to_px_x;
using pw::windows::twips_to_px_y;

namespace {
// Where the children stand in the frame, in twips. The script editor keeps the
// design's gap to the stage when the stage is wider than designed.
constexpr int stage_left = 225, stage_top = 400;
constexpr int script_left = 3330, script_top = 400;
constexpr int stage_script_gap = 345, stage_sounds_gap = 120;
// Room kept below the children when they grow with the frame (twips).
constexpr int bottom_margin = 225;
constexpr int sounds_left = 225, sounds_top = 5100;
}  // namespace

Pellworks::Pellworks(pw::agent::AgentControl& agent, pw::engine::RunState& state, QWidget* parent)
    : QMainWindow(parent), state_(state)
{
    key_source_ = pw::platform::make_global_key_source();
    keys_ = std::make_unique<pw::engine::KeyboardHandler>(state, *key_source_);
    area_ = new QMdiArea(this);
    setCentralWidget(area_);

    stage_ = new pw::stage::StageWindow(agent, state);
    stage_window_ = add_child(stage_);
    script_ = new ScriptWindow(state);
    script_window_ = add_child(script_);
    script_->set_child_windows(this);
    script_->set_keyboard_handler(keys_.get());
    stage_->set_script_editor(script_);
    connect(stage_, &pw::stage::StageWindow::script_line_added, script_, [this] { script_->show_last_line(); });
    connect(stage_, &pw::stage::StageWindow::cancel_script_wanted, script_, [this] { script_->cancel_it(); });
    connect(stage_, &pw::stage::StageWindow::main_window_wanted, this, [this] { activateWindow(); });
    // A command line handed over during a run waits for the run's end.
    connect(script_, &ScriptWindow::script_started, this, [this] {
        if (handed_over_) cancel_run_for_hand_over();
    });
    connect(script_, &ScriptWindow::run_finished, this, [this] { take_handed_over(); }, Qt::QueuedConnection);
    connect(stage_, &pw::stage::StageWindow::list_widened, this, [this] { place_script_beside_stage(); });
    // Characters first stand clear of the script, where a child clicks and types.
    stage_->keep_free = [this] {
        if (!script_window_->isVisible()) return QRect();
        return QRect(script_window_->mapToGlobal(QPoint(0, 0)), script_window_->size());
    };
    sounds_ = new pw::media::SoundLibrary(state, *script_);
    sounds_window_ = add_child(sounds_);
    connect(stage_, &pw::stage::StageWindow::sound_frame_caption, sounds_,
            [this](const QString& caption) { sounds_->sounds_frame->setTitle(caption); });
    qApp->installEventFilter(this);
    new CursorRest(this);

    build_menu();
    info_ = new InfoBar(this);
    setStatusBar(info_);
    connect(stage_, &pw::stage::StageWindow::character_position_text, info_, &InfoBar::set_character_position);
    area_->viewport()->setMouseTracking(true);

    current_timer = new QTimer(this);
    current_timer->setInterval(1000);
    connect(current_timer, &QTimer::timeout, this, [this] { current_timer_ticked(); });
    current_timer->start();

    resize(twips_to_px_x(12000, this), twips_to_px_y(9000, this));
    place_children();
}

Pellworks::~Pellworks()
{
    qApp->removeEventFilter(this);
    if (state_.hires_timer == hires_timer_.get()) {
        state_.hires_timer = nullptr;
        state_.hires_frequency = 0.0;
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
    script_->prepare();
    sounds_window_->adjustSize();
    place_script_beside_stage();
}

void Pellworks::place_script_beside_stage()
{
    // A stage that asks for more width gets it, and the script editor moves along.
    stage_window_->resize(stage_window_->size().expandedTo(stage_window_->minimumSizeHint()));
    const int beside = stage_window_->geometry().right() + 1 + twips_to_px_x(stage_script_gap, this);
    script_window_->move(std::max(twips_to_px_x(script_left, this), beside), twips_to_px_y(script_top, this));
    // The Sounds window below it, lower than designed when the stage is taller.
    const int below = stage_window_->geometry().bottom() + 1 + twips_to_px_y(stage_sounds_gap, this);
    sounds_window_->move(twips_to_px_x(sounds_left, this), std::max(twips_to_px_y(sounds_top, this), below));
}

void Pellworks::grow_children()
{
    // The script grows taller with the frame, never below the design size; the widths
    // stay, so that the characters keep their room beside the script. The stage keeps
    // its place above the Sounds window.
    const int floor = area_->viewport()->height() - twips_to_px_y(bottom_margin, this);
    const int script_height = std::max(twips_to_px_y(ScriptWindow::design_height_twips, this), floor - script_window_->y());
    script_window_->resize(script_window_->width(), script_height);
}

// ---- Quitting ----

void Pellworks::confirm_quit()
{
    const bool take_waits = audio_ && audio_->has_unsaved_take();
    pw::windows::confirm_quit(state_, take_waits ? pw::engine::quit_unsaved_sound_question() : pw::engine::quit_question());
}

void Pellworks::current_timer_ticked()
{
    // A Shift+click on a character asks; the question lasts until it has been said.
    if (state_.char_clicked) {
        state_.char_clicked = false;
        confirm_quit();
    }
    info_->show_free_space();
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
    // The filter sees the whole application's events (for the keys below).
    if (watched == area_->viewport() && event->type() == QEvent::Resize) {
        grow_children();
        return false;
    }
    if (!painted_ && event->type() == QEvent::Paint && menu_bar_ && watched == menu_bar_) {
        // For the start-up benchmark and the end-to-end tests.
        painted_ = true;
        pw::trace::event(QStringLiteral("MainWindowPainted"));
        // Start-up goes on once the paint is over, from the event loop.
        if (after_first_paint_) QTimer::singleShot(0, this, [this] { go_on_after_first_paint(); });
        return false;
    }
    if (watched == area_->viewport() && event->type() == QEvent::MouseMove) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        info_->show_mouse_position(p.x(), p.y());
        return false;
    }
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyRelease && type != QEvent::KeyPress) || !watched->isWidgetType()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    const int vk = pw::platform::vk_from_key_event(*key);
    constexpr int vk_escape = 27;
    if (type == QEvent::KeyPress) {
        // A menu, a completion list or a question box closes on Esc's press; its
        // release then reaches the window below, which must not take it for a cancel.
        if (vk == vk_escape)
            escape_taken_elsewhere_ = QApplication::activePopupWidget() || QApplication::activeModalWidget();
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    // Once per key: where it is delivered first, the widget with the focus.
    QWidget* first = QApplication::focusWidget();
    if (first ? widget != first : widget != widget->window()) return false;
    if (vk == vk_escape && std::exchange(escape_taken_elsewhere_, false)) return false;
    auto in = [widget](const QWidget* w) { return w && (w == widget || w->isAncestorOf(widget)); };
    const bool ours = in(stage_) || in(script_) || in(save_) || in(sounds_) || in(help_);
    // Every other window of the program, the main frame and the characters' own
    // windows included, stops a run with Esc as well (in runout only the characters
    // are there to have the focus). Other programs keep their Esc: no key is grabbed.
    const bool under_way = state_.script_running || state_.waiting || state_.intro_playing;
    if (!ours && !(vk == vk_escape && under_way)) return false;
    pw::engine::window_key_up(state_, *keys_, *script_, vk, pw::platform::shift_mask_from(key->modifiers()));
    return false;
}

}  // namespace pw::app
