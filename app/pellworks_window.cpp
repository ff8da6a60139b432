#include "app/pellworks_window.h"

#include "app/cursor_rest.h"
#include "app/info_bar.h"
#include "app/help_window.h"
#include "app/save_dialog.h"
#include "app/system_information.h"
#include "app/script_file.h"
#include "app/script_form.h"
#include "app/tell_child.h"
#include "engine/keyboard_handler.h"
#include "engine/pellwick_mod.h"
#include "engine/rounding.h"
#include "engine/spoken_questions.h"
#include "engine/window_keys.h"
#include "media/about_window.h"
#include "media/audio_form.h"
#include "media/clock_form.h"
#include "media/ctime.h"
#include "media/sounds.h"
#include "media/splash_window.h"
#include "platform/core/trace.h"
#include "stage/clear_place.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"
#include "platform/core/user_folders.h"
#include "platform/desktop/global_key_source.h"
#include "platform/desktop/key_codes.h"
#include "stage/twips.h"
#include "stage/window_waits.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <utility>

namespace pw::app {

using pw::stage::twips_to_px_x;
using pw::stage::twips_to_px_y;

namespace {
// Where the children stand in the frame, in twips. The script editor keeps the
// design's gap to the stage when the stage is wider than designed.
constexpr int stage_left = 225, stage_top = 400;
constexpr int script_left = 3330, script_top = 400;
constexpr int stage_script_gap = 345, stage_sounds_gap = 120;
// Room kept below the children when they grow with the frame (twips).
constexpr int bottom_margin = 225;
constexpr int sounds_left = 225, sounds_top = 5100;
// How long start-up lets the frame paint before the characters load.
constexpr qint64 first_paint_wait_ms = 500;
}  // namespace

Pellworks::Pellworks(pw::agent::AgentControl& agent, pw::engine::pellwick_mod& mod, QWidget* parent)
    : QMainWindow(parent), mod_(mod)
{
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
    stage_->set_script_editor(script_);
    connect(stage_, &pw::stage::pellwick_form::script_line_added, script_, [this] { script_->show_last_line(); });
    connect(stage_, &pw::stage::pellwick_form::cancel_script_wanted, script_, [this] { script_->cancel_it(); });
    connect(stage_, &pw::stage::pellwick_form::main_window_wanted, this, [this] { activateWindow(); });
    // A command line handed over during a run waits for the run's end.
    connect(script_, &script_form::script_started, this, [this] {
        if (handed_over_) cancel_run_for_hand_over();
    });
    connect(script_, &script_form::run_finished, this, [this] { take_handed_over(); }, Qt::QueuedConnection);
    connect(stage_, &pw::stage::pellwick_form::list_widened, this, [this] { place_script_beside_stage(); });
    // Characters first stand clear of the script, where a child clicks and types.
    stage_->keep_free = [this] {
        if (!script_window_->isVisible()) return QRect();
        return QRect(script_window_->mapToGlobal(QPoint(0, 0)), script_window_->size());
    };
    sounds_ = new pw::media::sounds(mod, *script_);
    sounds_window_ = add_child(sounds_);
    connect(stage_, &pw::stage::pellwick_form::sound_frame_caption, sounds_,
            [this](const QString& caption) { sounds_->sounds_frame->setTitle(caption); });
    qApp->installEventFilter(this);
    new CursorRest(this);

    build_menu();
    info_ = new info_bar(this);
    setStatusBar(info_);
    connect(stage_, &pw::stage::pellwick_form::character_position_text, info_, &info_bar::set_character_position);
    area_->viewport()->setMouseTracking(true);

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
    const int script_height = std::max(twips_to_px_y(script_form::design_height_twips, this), floor - script_window_->y());
    script_window_->resize(script_window_->width(), script_height);
}

void Pellworks::MDIForm_Load(const QStringList& arguments)
{
    const StartUpEnd end = run_start_up(*this, arguments);
    if (end != StartUpEnd::Started) {
        mod_.end_program(0);
        return;
    }
    started_ = true;
    if (const std::optional<QStringList> waiting = std::exchange(handed_over_, std::nullopt)) take_command_line(*waiting);
}

// ---- Start-up steps ----

void Pellworks::enter_program_folder()
{
    start_folder_ = QDir::currentPath();
    if (process_.enter_program_folder) process_.enter_program_folder();
}

bool Pellworks::components_installed()
{
    return !process_.components_installed || process_.components_installed();
}

void Pellworks::start_component_installer()
{
    // The installer is a detached process of its own: nothing here waits for it.
    if (process_.start_component_installer) process_.start_component_installer();
}

void Pellworks::create_clock()
{
    hires_timer_ = std::make_unique<pw::media::CTime>(mod_.hires_frequency);
    mod_.hires_timer = hires_timer_.get();
    mod_.hires_frequency = hires_timer_->Initialise();
    mod_.char_count = 200;
    mod_.version_text = QStringLiteral(PW_VERSION_TEXT);
}

void Pellworks::set_title()
{
    setWindowTitle(pw::stage::program_title);
}

void Pellworks::show_splash()
{
    if (splash_ms <= 0 || !qEnvironmentVariableIsEmpty("PELLWORKS_NO_SPLASH")) return;
    QPointer<pw::media::frmSplash> splash = new pw::media::frmSplash;
    splash->Form_Load(pw::stage::program_title, mod_.version_text);
    splash->lblVersion->setText(QStringLiteral("v. ") + mod_.version_text);
    splash->show();
    pw::trace::event(QStringLiteral("Splash"), {QStringLiteral("shown")});
    // A key or a click closes it sooner; start-up still waits the whole time.
    pw::stage::pause_ms(mod_, splash_ms);
    if (splash) splash->close();
    pw::trace::event(QStringLiteral("Splash"), {QStringLiteral("gone")});
}

void Pellworks::set_defaults()
{
    mod_.set_start_defaults();
    // The child's scripts and sounds, with the starters that came with the program.
    if (!pw::folders::provide_starter_files(mod_.program_folder, mod_.user_folder))
        qWarning("Pellworks cannot make its folder %s: scripts and sounds cannot be kept.",
                 qPrintable(mod_.user_folder));
}

void Pellworks::open_windows(const CommandLine& command_line)
{
    mod_.command_line_mode = command_line.mode;
    sounds_->Form_Load();

    // Runout: the characters perform on the desktop and the frame stays out of sight.
    stage_window_->show();
    script_window_->show();
    sounds_window_->show();
    if (command_line.mode != 1) {
        showMaximized();
        // Loading the characters takes a moment: the frame is on the screen first.
        QElapsedTimer since;
        since.start();
        while (!painted_ && since.elapsed() < first_paint_wait_ms) pw::stage::do_events();
    }

    // The stage loads its characters before any file can run.
    stage_->Form_Load();
    // A plain start brings back a script kept from before; a named file comes next
    // (open_file) and leaves the kept one for a later plain start.
    if (command_line.mode == 0) script_->start_editing();
    if (command_line.mode != 1) activateWindow();
}

// ---- The menu ----

void Pellworks::build_menu()
{
    menu_bar_ = menuBar();
    // The underlined letters let the menu work from the keyboard (Alt+letter).
    exit = menuBar()->addAction(QStringLiteral("E&xit"));
    get_character = menuBar()->addMenu(QStringLiteral("&Character"));
    show_all = get_character->addAction(QStringLiteral("&Show All"));
    hide_all = get_character->addAction(QStringLiteral("&Hide All"));
    hide_all_but_pellwick = get_character->addAction(QStringLiteral("Hide All but &Pellwick"));
    audio = menuBar()->addAction(QStringLiteral("&Record Audio"));
    build_window_menu();
    help = menuBar()->addAction(QStringLiteral("&Help"));
    about = menuBar()->addAction(QStringLiteral("&About"));
    for (QAction* a : {exit, show_all, hide_all, hide_all_but_pellwick, audio, help, about}) {
        a->setObjectName(QString(a->text()).remove(QLatin1Char('&')));
        connect(a, &QAction::triggered, this, [a] { pw::trace::event(QStringLiteral("Menu"), {pw::trace::quote(a->objectName())}); });
    }
    connect(exit, &QAction::triggered, this, [this] { exit_Click(); });
    connect(show_all, &QAction::triggered, this, [this] { show_all_Click(); });
    connect(hide_all, &QAction::triggered, this, [this] { hide_all_Click(); });
    connect(hide_all_but_pellwick, &QAction::triggered, this, [this] { hide_all_but_pellwick_Click(); });
    connect(audio, &QAction::triggered, this, [this] { audio_Click(); });
    connect(help, &QAction::triggered, this, [this] { help_Click(); });
    connect(about, &QAction::triggered, this, [this] { about_Click(); });
}

void Pellworks::exit_Click() { confirm_quit(); }

void Pellworks::show_all_Click()
{
    // A character that fails is left out; the others still get their turn.
    const auto step = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const std::exception&) {
        }
    };
    mod_.intro_playing = true;
    mod_.options.sequential = true;
    const int pellwick = mod_.char_index(QStringLiteral("pellwick"));
    const auto with_pellwick = [&](const std::function<void(pw::agent::Character&)>& f) {
        if (pellwick >= 0 && mod_.characters[pellwick].agent) step([&] { f(*mod_.characters[pellwick].agent); });
    };
    with_pellwick([&](pw::agent::Character& c) { mod_.characters[pellwick].request = c.show(); });
    step([&] { mod_.char_say(pellwick, QStringLiteral("Hi, I'm Pellwick. Here are my friends!")); });
    for (int i = 0; i < mod_.char_count && i < mod_.slot_count(); ++i) {
        pw::agent::Character* c = mod_.characters[i].loaded ? mod_.characters[i].agent : nullptr;
        if (i == pellwick || !c) continue;
        step([&] {
            const int x = mod_.random_int(mod_.screen_width_px - c->width());
            const int y = mod_.random_int(mod_.screen_height_px - c->height());
            c->set_top(y);
            c->set_left(x);
            mod_.characters[i].request = c->show();
        });
        step([&] { mod_.char_say(i, QStringLiteral("Hi! I'm ") + c->name() + QStringLiteral(".")); });
        step([&] { mod_.characters[i].request = c->hide(); });
    }
    with_pellwick([&](pw::agent::Character& c) { mod_.characters[pellwick].request = c.show(); });
    with_pellwick([&](pw::agent::Character& c) {
        mod_.characters[pellwick].request = c.think(QStringLiteral("I hope this smart kid likes them. I do!"));
    });
    step([&] { mod_.char_say(pellwick, QStringLiteral("Hope you like them. I do!")); });
    step([&] { mod_.char_play(pellwick, QStringLiteral("pleased")); });
    step([&] {
        mod_.char_play(pellwick, QStringLiteral("pleased"));
        mod_.intro_request = mod_.characters[pellwick].request;
    });
}

void Pellworks::hide_all_Click()
{
    for (int i = 0; i < mod_.char_count && i < mod_.slot_count(); ++i) {
        pw::agent::Character* c = mod_.characters[i].loaded ? mod_.characters[i].agent : nullptr;
        try {
            if (c) c->hide();
        } catch (const std::exception&) {
        }
    }
}

void Pellworks::hide_all_but_pellwick_Click()
{
    hide_all_Click();
    const int slot = mod_.char_index(QStringLiteral("pellwick"));
    pw::agent::Character* c = slot >= 0 && mod_.characters[slot].loaded ? mod_.characters[slot].agent : nullptr;
    if (!c) return;
    try {
        // His top-left corner in the middle of the screen, unless that puts him over
        // the script.
        const QPoint middle(int(pw::engine::round_half_even(mod_.screen_width_px / 2.0)),
                            int(pw::engine::round_half_even(mod_.screen_height_px / 2.0)));
        const QPoint place = stage_->place_clear_of_script(middle, QSize(c->width(), c->height()));
        c->set_top(place.y());
        c->set_left(place.x());
        c->show();
    } catch (const std::exception&) {
    }
}

// ---- Quitting ----

void Pellworks::confirm_quit()
{
    const bool take_waits = audio_ && audio_->has_unsaved_take();
    pw::stage::confirm_quit(mod_, take_waits ? pw::engine::quit_unsaved_sound_question() : pw::engine::quit_question());
}

void Pellworks::current_timer_Timer()
{
    // A Shift+click on a character asks; the question lasts until it has been said.
    if (mod_.char_clicked) {
        mod_.char_clicked = false;
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
        return false;
    }
    if (watched == area_->viewport() && event->type() == QEvent::MouseMove) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        info_->MDIForm_MouseMove(p.x(), p.y());
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
    const bool under_way = mod_.script_running || mod_.waiting || mod_.intro_playing;
    if (!ours && !(vk == vk_escape && under_way)) return false;
    pw::engine::Form_KeyUp(mod_, *keys_, *script_, vk, pw::platform::shift_mask_from(key->modifiers()));
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

void Pellworks::help_Click() { show_help_book(); }


void Pellworks::about_Click()
{
    // Each opening loads the window afresh.
    if (!about_) {
        about_ = new pw::media::frmAbout;
        QMdiSubWindow* sub = area_->addSubWindow(about_);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(about_, &pw::media::frmAbout::closed, sub, &QMdiSubWindow::close);
        connect(sub, &QObject::destroyed, this, [] { pw::trace::event(QStringLiteral("AboutClosed")); });
        connect(about_, &pw::media::frmAbout::system_information_wanted, this, [this] { show_system_information(); });
    }
    about_->Form_Load(pw::stage::program_title, mod_.version_text);
    about_->lblVersion->setText(QStringLiteral("V.") + mod_.version_text);
    about_->lblDisclaimer->setText(
        QStringLiteral("Pellworks is free: share it with your friends, your class and your school.\n"
                       "Made with care for children, their parents and their teachers.\n"
                       "Something wrong? Press Sys Info..., press Copy, and paste it into your note."));
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(about_->parentWidget());
    sub->adjustSize();
    place_clear_of_characters(sub, QRect(QPoint(0, 0), area_->viewport()->size()).center() - sub->rect().center());
    sub->show();
    area_->setActiveSubWindow(sub);
    about_->cmdOK->setFocus(Qt::OtherFocusReason);
}

void Pellworks::show_system_information()
{
    if (!sysinfo_) {
        auto* form = new system_information_form(mod_.program_folder, mod_.version_text);
        sysinfo_ = form;
        QMdiSubWindow* sub = area_->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(form->close_button, &QPushButton::clicked, sub, &QMdiSubWindow::close);
        sub->resize(form->size());
        place_clear_of_characters(sub, QRect(QPoint(0, 0), area_->viewport()->size()).center() - sub->rect().center(),
                                  smallest_reading_window.expandedTo(sub->minimumSizeHint()));
    }
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(sysinfo_->parentWidget());
    sub->show();
    area_->setActiveSubWindow(sub);
}

void Pellworks::place_clear_of_characters(QMdiSubWindow* sub, QPoint wanted, QSize smallest)
{
    // The characters stand on top of every window: one that opens under a character
    // would have its buttons and text hidden from the child.
    const QPoint frame = area_->viewport()->mapToGlobal(QPoint(0, 0));
    QList<QRect> characters = stage_->character_rects();
    for (QRect& r : characters) r.translate(-frame);
    sub->setGeometry(pw::stage::clear_room(sub->size(), smallest.isValid() ? smallest : sub->size(), wanted,
                                           QRect(QPoint(0, 0), area_->viewport()->size()), characters, 16));
}

void Pellworks::show_clock()
{
    if (!clock_window_) {
        clock_ = new pw::media::clock_form;
        clock_window_ = area_->addSubWindow(clock_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        clock_window_->setAttribute(Qt::WA_DeleteOnClose, false);
        clock_window_->adjustSize();
        connect(clock_, &pw::media::clock_form::shown_or_hidden, script_, &script_form::clock_shown_or_hidden);
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

void Pellworks::show_load_save()
{
    if (!save_) {
        save_ = new save(mod_, *script_);
        save_window_ = add_child(save_);
    }
    if (!save_->is_open()) save_->Form_Load();
    // A close box hid the dialog itself along with its frame.
    save_->show();
    save_window_->show();
    area_->setActiveSubWindow(save_window_);
    save_->fname->setFocus(Qt::OtherFocusReason);
}

}  // namespace pw::app
