#include "stage/stage_window.h"

#include "agent/api/agent_error.h"
#include "engine/rounding.h"
#include "stage/action_lists.h"
#include "stage/character_folders.h"
#include "stage/composer.h"
#include "windows/clear_place.h"
#include "windows/message_box.h"
#include "windows/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace pw::stage {

using pw::engine::round_half_even;

namespace {
constexpr int us_english = 1033;
// Where a loaded character stands, relative to the stage window (twips).
constexpr int char_offset_x_twips = 7450;
constexpr int char_offset_y_twips = 1200;
// Room left between a character and the Script window it stands beside (pixels).
constexpr int char_margin = 12;
}  // namespace

StageWindow::StageWindow(pw::agent::AgentControl& agent, pw::engine::RunState& state,
                             QWidget* parent)
    : QWidget(parent), agent_(agent), char_folders(character_folders(state.program_folder)), state_(state)
{
    build_controls();
    connect_agent_events();
    state_.character_loader = [this](const QString& id) { get_char(id, true); };
    windows::set_message_box_keep_clear([this] { return character_rects(); });
}

StageWindow::~StageWindow()
{
    windows::set_message_box_keep_clear(nullptr);
    state_.character_loader = nullptr;
}

void StageWindow::build_controls()
{
    mode_choice[0] = new QRadioButton(QStringLiteral("Show me"), this);
    mode_choice[1] = new QRadioButton(QStringLiteral("Program"), this);
    mode_choice[1]->setChecked(true);
    mode_choice[0]->setToolTip(QStringLiteral("Select to view action when double clicked"));
    mode_choice[1]->setToolTip(QStringLiteral("Select to program action into Script when double clicked"));
    character_label = new QLabel(QStringLiteral("Character:"), this);
    char_avail = new QComboBox(this);
    character_label->setBuddy(char_avail);
    AnimationFrame = new QGroupBox(QStringLiteral("&Animations for"), this);
    animation_list = new QListWidget(AnimationFrame);
    animation_list->setToolTip(QStringLiteral("Double click to add action to Script"));
    animation_list->setAccessibleName(QStringLiteral("Actions"));

    // The design's order: the two modes in a row, the character choice, then the list,
    // which takes whatever room the window has.
    auto* modes = new QHBoxLayout;
    modes->addWidget(mode_choice[0]);
    modes->addWidget(mode_choice[1]);
    modes->addStretch(1);
    auto* choice = new QHBoxLayout;
    choice->addWidget(character_label);
    choice->addWidget(char_avail, 1);
    auto* in_frame = new QVBoxLayout(AnimationFrame);
    in_frame->setContentsMargins(6, 6, 6, 6);  // the design's 90 twips
    in_frame->addWidget(animation_list);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(modes);
    layout->addLayout(choice);
    layout->addWidget(AnimationFrame, 1);

    // The design's client area is 2640 x 3990 twips; the list may ask for more width.
    setMinimumSize(windows::twips_rect(0, 0, 2640, 3990, this).size());
    fit_list_to_entries({QStringLiteral("Pellwick")});
    resize(sizeHint().expandedTo(minimumSize()));

    connect(char_avail, &QComboBox::currentIndexChanged, this, [this] { char_avail_clicked(); });
    connect(animation_list, &QListWidget::itemDoubleClicked, this, [this] { animation_list_double_clicked(); });
    animation_list->installEventFilter(this);
}

bool StageWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on an entry is the keyboard's double click.
    if (watched == animation_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && animation_list->currentItem()) {
            animation_list_double_clicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void StageWindow::animation_list_double_clicked()
{
    const QListWidgetItem* item = animation_list->currentItem();
    if (!item || !editor_) return;
    const bool show_me = mode_choice[0]->isChecked();
    compose(state_, *editor_, show_me, item->text());
    if (!show_me) Q_EMIT script_line_added();
}

void StageWindow::fit_list_to_entries(const QStringList& ids)
{
    QStringList entries = general_commands();
    for (const QString& id : ids) entries += character_command_lines(id);
    // Measured with the style's font and frame, which the list only gets when polished.
    ensurePolished();
    const QFontMetrics metrics(animation_list->font());
    int widest = 0;
    for (const QString& e : entries) widest = std::max(widest, metrics.horizontalAdvance(e));
    const QStyle* style = animation_list->style();
    // The text, the item's own padding on both sides, the list's frame and a scroll
    // bar, which shows as soon as the character's animations are listed.
    const int padding = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, animation_list) + 1);
    const int scroll_bar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, animation_list);
    int wanted = widest + padding + 2 * animation_list->frameWidth() + scroll_bar + metrics.averageCharWidth();
    // An id as long as a sentence gets a scroll bar rather than half the screen.
    if (const QScreen* s = screen()) wanted = std::min(wanted, s->availableGeometry().width() * 2 / 5);
    if (wanted <= animation_list->minimumWidth()) return;  // never narrower
    animation_list->setMinimumWidth(wanted);
    // The window's own minimum is the design's: without this the frame would cut the
    // list and its scroll bar off.
    setMinimumWidth(std::max(minimumWidth(), layout()->totalMinimumSize().width()));
    Q_EMIT list_widened();
}

void StageWindow::connect_agent_events()
{
    using pw::agent::AgentControl;
    connect(&agent_, &AgentControl::Click, this, &StageWindow::agent_clicked);
    connect(&agent_, &AgentControl::DblClick, this, &StageWindow::agent_double_clicked);
    connect(&agent_, &AgentControl::Command, this, &StageWindow::agent_command_heard);
    connect(&agent_, &AgentControl::RequestComplete, this, &StageWindow::agent_request_complete);
    connect(&agent_, &AgentControl::Move, this, &StageWindow::agent_moved);
}

QString StageWindow::load_error_message(const QString& id)
{
    return QStringLiteral("There was an error getting ") + id
           + QStringLiteral(". Make sure you have the character properly installed! Perhaps the file is corrupt.");
}

void StageWindow::prepare()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        // Screen size in twips over twips per pixel comes back to whole pixels.
        state_.screen_width_px = screen->geometry().width();
        state_.screen_height_px = screen->geometry().height();
    }
    state_.size_slots(state_.char_count);

    const QList<CharacterFile> files = find_character_files(char_folders);
    QStringList ids;
    for (const CharacterFile& file : files) ids.append(file.id);
    // Whole entries for every character, before any of them takes its place beside
    // the windows.
    fit_list_to_entries(ids);
    char_avail->clear();
    char_avail->addItem(QStringLiteral("All"));
    state_.char_count = int16_t(qMin<qsizetype>(files.size(), 32767));

    for (const CharacterFile& file : files) {
        get_char(file.id);
        char_avail->addItem(file.id);
    }

    char_avail->setCurrentIndex(0);
    get_general_commands();
    AnimationFrame->setTitle(QStringLiteral("General Commands"));
    setWindowTitle(QStringLiteral(" Actions"));

    greet_or_end();
}

void StageWindow::greet_or_end()
{
    try {
        const int slot = state_.char_index(QStringLiteral("pellwick"));
        if (slot < 0 || !state_.characters[slot].loaded || !state_.characters[slot].agent)
            throw pw::agent::AgentError(pw::agent::error::character_invalid, QStringLiteral("no Pellwick"));
        state_.characters[slot].agent->show();
        state_.char_say(slot, greeting());
    } catch (const std::exception&) {
        windows::message_box(missing_pellwick_message(), this);
        state_.end_program(1);
    }
}

int StageWindow::free_slot()
{
    const int last = qMin<int>(state_.char_count, state_.slot_count() - 1);
    for (int i = 0; i <= last; ++i)
        if (!state_.characters[i].loaded) return i;
    // Every slot is taken (more characters than files were found at start-up): add
    // one rather than overwrite a loaded character, and let the loops see it.
    const int slot = qMax<int>(state_.slot_count(), state_.char_count + 1);
    state_.size_slots(slot + 1);
    state_.char_count = int16_t(slot + 1);
    return slot;
}

void StageWindow::get_char(const QString& id, bool for_run)
{
    int slot = state_.char_index(id);
    try {
        if (slot >= 0) {
            if (state_.characters[slot].loaded) {
                state_.characters[slot].agent = nullptr;
                state_.characters[slot].loaded = false;
                agent_.unload(state_.characters[slot].id);
            }
        } else {
            slot = free_slot();
        }

        state_.characters[slot].id = id;
        state_.current_char = id;
        state_.characters[slot].request = agent_.load(id, character_path(char_folders, id));

        pw::agent::Character* c = agent_.item(id);
        state_.characters[slot].agent = c;
        state_.characters[slot].loaded = true;
        c->set_language_id(us_english);

        Q_EMIT sound_frame_caption(QStringLiteral("&Sounds for All"));

        pw::agent::Commands& commands = c->commands();
        commands.remove_all();
        commands.add(QStringLiteral("Quit"), QStringLiteral("&Quit"));
        commands.add(QStringLiteral("Cancel Script"), QStringLiteral("&Cancel Script"),
                     QStringLiteral("Cancel [Script]"), true);
        commands.set_global_voice_commands_enabled(false);

        const QPoint at = window_position();
        const double tx = windows::twips_per_pixel_x(this);
        const double ty = windows::twips_per_pixel_y(this);
        const QPoint wanted(int(round_half_even((at.x() * tx + char_offset_x_twips) / tx)),
                            int(round_half_even((at.y() * ty + char_offset_y_twips) / ty)));
        const QPoint place = place_clear_of_script(wanted, QSize(c->width(), c->height()));
        c->set_left(place.x());
        c->set_top(place.y());

        InitPopupMenuCmds();

        state_.characters[slot].size = state_.characters[slot].default_size = QSize(c->width(), c->height());
        state_.current_char = id;
    } catch (const std::exception&) {
        if (for_run) windows::open_message_box(load_error_message(id), this, nullptr);
        else windows::message_box(load_error_message(id), this);
        if (slot >= 0 && slot < state_.slot_count()) {
            state_.characters[slot].agent = nullptr;
            state_.characters[slot].loaded = false;
            state_.characters[slot].id.clear();
        }
        // A character that loaded but failed later would otherwise stay on the platform
        // with no slot, and every later load of it would fail as "already loaded".
        try {
            if (agent_.is_loaded(id)) agent_.unload(id);
        } catch (const std::exception&) {
        }
    }
}

QPoint StageWindow::place_clear_of_script(QPoint wanted, QSize size) const
{
    const QRect script = keep_free ? keep_free() : QRect();
    if (script.isEmpty()) return wanted;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    // Everything left of the Script window's right edge stays free: the frame window
    // only moves left and up as it is maximised, so the place stays good then too.
    // When the screen has no room on that side, any side of the window will do.
    const QRect left_band(QPoint(std::min(area.left(), script.left()), std::min(area.top(), script.top())),
                          QPoint(script.right(), std::max(area.bottom(), script.bottom())));
    const QPoint beside = windows::clear_place(size, wanted, area, {left_band}, char_margin);
    if (!QRect(beside, size).intersects(left_band.adjusted(0, 0, char_margin, 0))) return beside;
    return windows::clear_place(size, wanted, area, {script}, char_margin);
}

QList<QRect> StageWindow::character_rects() const
{
    QList<QRect> rects;
    for (int i = 0; i < state_.slot_count(); ++i) {
        pw::agent::Character* c = state_.characters[i].loaded ? state_.characters[i].agent : nullptr;
        try {
            if (c && c->visible()) rects.append(QRect(c->left(), c->top(), c->width(), c->height()));
        } catch (const std::exception&) {
        }
    }
    return rects;
}

QPoint StageWindow::window_position() const
{
    if (window() == this) return pos();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub->pos();
    return window()->pos();
}

void StageWindow::InitPopupMenuCmds()
{
    if (state_.slot_count() < 1 || !state_.characters[0].agent) return;
    pw::agent::Commands& commands = state_.characters[0].agent->commands();
    commands.remove_all();
    commands.add(QStringLiteral("AdvCharOptions"), QStringLiteral("&Advanced Character Options"));
}

void StageWindow::get_general_commands()
{
    animation_list->clear();
    AnimationFrame->setTitle(QStringLiteral("General Commands"));
    animation_list->addItems(general_commands());
}

void StageWindow::char_avail_clicked()
{
    animation_list->clear();
    const int index = char_avail->currentIndex();
    if (index <= 0) {
        get_general_commands();
        return;
    }
    const QString id = char_avail->currentText();
    state_.current_char = id;
    AnimationFrame->setTitle(id + QStringLiteral(" Commands"));
    animation_list->addItems(character_command_lines(id));

    // The slot is looked up by id: a character whose load failed may have left its
    // slot to another one, whose animations must not be listed under this name.
    const int slot = state_.char_index(id);
    if (slot < 0 || !state_.characters[slot].loaded || !state_.characters[slot].agent) return;
    try {
        animation_list->addItems(character_animation_lines(id, state_.characters[slot].agent->animation_names()));
    } catch (const std::exception&) {
    }
}

}  // namespace pw::stage
