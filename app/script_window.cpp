#include "app/script_window.h"

#include "app/autosave.h"
#include "app/child_windows.h"
#include "app/script_edit.h"
#include "app/speed_row.h"
#include "app/tell_child.h"
#include "engine/keyboard_handler.h"
#include "engine/run_control.h"
#include "engine/spoken_questions.h"
#include "media/clock_window.h"
#include "platform/core/trace.h"
#include "agent/voice/wave_device.h"
#include "windows/style.h"
#include "windows/twips.h"
#include "windows/window_waits.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace pw::app {

using pw::windows::twips_rect;
using pw::windows::twips_to_px_x;
using pw::windows::twips_to_px_y;

namespace {
constexpr int clock_tick_ms = 50;
// Margins around the text box, in twips: it starts at (105, 870) below the buttons
// and keeps a small border to the right and above the status bar.
constexpr int text_left = 105;
constexpr int text_top = 870;
constexpr int text_right_margin = 75;
constexpr int text_bottom_gap = 45;
}  // namespace

ScriptWindow::ScriptWindow(pw::engine::RunState& state, QWidget* parent)
    : QWidget(parent), state_(state), report_timer_(state)
{
    build_controls();
    autosave_ = new Autosave([this] { return editor_text(); }, this);
    autosave_->set_folder(state_.user_folder);
    connect(script_text->document(), &QTextDocument::contentsChanged, autosave_, &Autosave::changed);
    connect(autosave_, &Autosave::not_kept, this, &ScriptWindow::keeping_failed);
    connect(autosave_, &Autosave::kept, not_kept_panel, &QWidget::hide);
    // The program ends by leaving the process at once: the last typing is kept first.
    exit_before_ = state_.exit_program;
    state_.exit_program = [this](int code) {
        autosave_->write_pending();
        if (exit_before_) exit_before_(code);
    };
}

ScriptWindow::~ScriptWindow()
{
    // Nobody is left to be told.
    disconnect(autosave_, nullptr, this, nullptr);
    autosave_->write_pending();
    state_.exit_program = exit_before_;
}

void ScriptWindow::build_controls()
{
    setWindowTitle(QStringLiteral("Script"));

    file_button = new QPushButton(QStringLiteral("File"), this);
    play_pellwick = new QPushButton(QStringLiteral("Play"), this);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    clear = new QPushButton(QStringLiteral("Clear"), this);
    hideit = new QCheckBox(QStringLiteral("hide"), this);
    hideit->setToolTip(QStringLiteral("Hide forms during Play"));
    // One row along the top, each button as wide as its icon and caption need.
    windows::style::dress_button(file_button, "secondary", QStringLiteral("folder"));
    windows::style::dress_button(play_pellwick, "main", QStringLiteral("play"));
    windows::style::dress_button(cancel, "stop", QStringLiteral("stop"));
    windows::style::dress_button(clear, "", QStringLiteral("broom"));
    button_row = new QWidget(this);
    auto* row = new QHBoxLayout(button_row);
    row->setContentsMargins(twips_to_px_x(135, this), twips_to_px_y(135, this), twips_to_px_x(135, this), 0);
    for (QWidget* w : std::initializer_list<QWidget*>{file_button, play_pellwick, cancel, clear, hideit}) row->addWidget(w);
    row->addStretch(1);
    button_row->adjustSize();

    speed_row = new SpeedRow(state_, this);
    setMinimumWidth(std::max(button_row->sizeHint().width(), speed_row->sizeHint().width()));

    edit_ = new ScriptEdit(this);
    edit_->set_words([this] { return vocabulary_of(state_); });
    script_text = edit_;
    script_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // An empty script has nothing to play: the empty editor says what goes in it.
    script_text->setPlaceholderText(QStringLiteral("Write your script here, for example:\npellwick> speak Hello!"));
    script_text->setTabChangesFocus(false);

    status_bar = new QStatusBar(this);
    status_bar->setSizeGripEnabled(false);
    status_panel1 = new QLabel(status_bar);
    status_panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // A long file name gives way to the warning beside it.
    status_panel1->setMinimumWidth(1);
    status_bar->addPermanentWidget(status_panel1, 1);
    not_kept_panel = new QLabel(not_kept_text(), status_bar);
    not_kept_panel->setAccessibleName(not_kept_text());
    not_kept_panel->setProperty("role", "warning");
    not_kept_panel->hide();
    status_bar->addPermanentWidget(not_kept_panel);
    waiting_panel = new QLabel(status_bar);
    waiting_panel->setMinimumWidth(1);
    waiting_panel->hide();
    status_bar->insertPermanentWidget(0, waiting_panel, 1);

    for (int i = 0; i < 2; ++i) {
        // Empty (and hidden) until a position is written.
        convert[i] = new QLabel(this);
        convert[i]->hide();
    }

    clock_timer = new QTimer(this);
    clock_timer->setInterval(clock_tick_ms);
    wave_player = new pw::voice::WaveDevice(this);

    connect(file_button, &QPushButton::clicked, this, [this] { file_button_clicked(); });
    connect(play_pellwick, &QPushButton::clicked, this, [this] { play_pellwick_clicked(); });
    connect(cancel, &QPushButton::clicked, this, [this] { cancel_clicked(); });
    connect(speed_row, &SpeedRow::step_clicked, this, [this] { step_clicked(); });
    connect(clear, &QPushButton::clicked, this, [this] { clear_clicked(); });
    connect(clock_timer, &QTimer::timeout, this, [this] { clock_timer_ticked(); });
    connect(wave_player, &pw::voice::WaveDevice::done, this, [this] { wave_player_done(); });

    resize(twips_to_px_x(design_width_twips, this), twips_to_px_y(design_height_twips, this));
    place_controls();
}

void ScriptWindow::prepare()
{
    // Keys typed anywhere count for key waits from now on.
    if (keys_) keys_->key_window = this;
    // The design size is the whole window's; inside the main window that is the
    // sub-window with its frame.
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame) frame = this;
    const QSize design(twips_to_px_x(design_width_twips, this), twips_to_px_y(design_height_twips, this));
    frame->resize(design.expandedTo(frame->minimumSizeHint()));
}

void ScriptWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place_controls();
}

void ScriptWindow::place_controls()
{
    const int status_height = status_bar->sizeHint().height();
    status_bar->setGeometry(0, height() - status_height, width(), status_height);
    // A window made too small leaves the text box at zero size, never negative.
    button_row->setGeometry(0, 0, width(), button_row->sizeHint().height());
    speed_row->setGeometry(0, button_row->geometry().bottom() + 1, width(), speed_row->sizeHint().height());
    QRect r = twips_rect(text_left, text_top, 0, 0, this);
    r.moveTop(std::max(r.y(), speed_row->geometry().bottom() + 1 + twips_to_px_y(text_bottom_gap, this)));
    const int w = width() - r.x() - twips_to_px_x(text_right_margin, this);
    const int h = height() - r.y() - status_height - twips_to_px_y(text_bottom_gap, this);
    script_text->setGeometry(r.x(), r.y(), qMax(0, w), qMax(0, h));
}

// ---- Handlers ----

void ScriptWindow::play_pellwick_clicked()
{
    // The button is off while a run is under way: no second run from here.
    if (!play_pellwick->isEnabled()) return;
    script_text->setReadOnly(true);
    play_pellwick->setEnabled(false);
    // Returns at once; run_over() gives the button back.
    pw::engine::start_run(state_, *this, editor_text());
}

void ScriptWindow::run_started() { emit script_started(); }

void ScriptWindow::run_over()
{
    play_pellwick->setEnabled(true);
    script_text->setReadOnly(false);
    emit run_finished();
}

void ScriptWindow::step_clicked()
{
    if (state_.run_under_way()) pw::engine::step_run(state_);
    else play_pellwick_clicked();
}

void ScriptWindow::show_waiting(const QString& sentence)
{
    waiting_panel->setText(sentence);
    waiting_panel->setAccessibleName(sentence);
    waiting_panel->setToolTip(sentence);
    waiting_panel->setVisible(!sentence.isEmpty());
    status_panel1->setVisible(sentence.isEmpty());
}

void ScriptWindow::cancel_clicked()
{
    const int slot = state_.char_index(state_.current_char);
    if (slot >= 0 && slot < state_.slot_count() && state_.characters[slot].agent) {
        try {
            state_.characters[slot].agent->listen(false);
        } catch (const std::exception&) {
        }
    }
    state_.listening = false;
    cancel_it();
}

void ScriptWindow::cancel_it()
{
    pw::engine::cancel_it(state_, *this);
}

void ScriptWindow::clear_clicked()
{
    if (script_text->document()->isEmpty()) {
        clear_script();
        return;
    }
    // Pellwick asks; a double click on a character while he asks says yes.
    pw::windows::confirm_clear(state_, this, [this](bool yes) {
        if (yes) clear_script();
    });
}

void ScriptWindow::clear_script()
{
    script_text->clear();
    set_current_file(QString());
}

void ScriptWindow::file_button_clicked()
{
    if (windows_) windows_->show_load_save();
}

void ScriptWindow::show_last_line()
{
    script_text->moveCursor(QTextCursor::End);
    script_text->ensureCursorVisible();
}

QString ScriptWindow::clear_question()
{
    return pw::engine::clear_question();
}

void ScriptWindow::clock_timer_ticked()
{
    if (!windows_) return;
    if (pw::media::ClockWindow* clock = windows_->clock()) clock->advance();
}

void ScriptWindow::wave_player_done()
{
    state_.sound_ended();
}

void ScriptWindow::set_current_file(const QString& file_name)
{
    status_panel1->setText(file_name.isEmpty() ? QString() : QStringLiteral("Current file: ") + file_name);
}

QString ScriptWindow::current_file_text() const
{
    return status_panel1->text();
}

void ScriptWindow::start_editing()
{
    if (const std::optional<QString> kept = autosave_->take_back()) {
        set_editor_text(*kept);
        status_panel1->setText(not_saved_text());
        show_last_line();
        pw::trace::script_restored(*kept);
    }
    script_text->setFocus(Qt::OtherFocusReason);
}

void ScriptWindow::show_file_text(const QString& text, const QString& file_name)
{
    autosave_->write_pending();
    set_editor_text(text);
    autosave_->loaded_from_file(editor_text());
    set_current_file(file_name);
}

void ScriptWindow::text_saved_as(const QString& file_name)
{
    autosave_->saved_to_file(editor_text());
    set_current_file(file_name);
}

void ScriptWindow::keeping_failed(const QString& reason)
{
    not_kept_panel->setToolTip(reason);
    not_kept_panel->show();
    if (told_not_kept_) return;
    told_not_kept_ = true;
    tell_child(state_, not_kept_sentence());
}

}  // namespace pw::app
