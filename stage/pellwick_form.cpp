#include "stage/pellwick_form.h"

#include "agent/api/agent_error.h"
#include "engine/rounding.h"
#include "stage/action_lists.h"
#include "stage/character_folders.h"
#include "stage/composer.h"
#include "stage/message_box.h"
#include "stage/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QScreen>

namespace pw::stage {

using pw::engine::round_half_even;

namespace {
constexpr int us_english = 1033;
// Where a loaded character stands, relative to the stage window (twips).
constexpr int char_offset_x_twips = 7450;
constexpr int char_offset_y_twips = 1200;
}  // namespace

pellwick_form::pellwick_form(pw::agent::AgentControl& agent, pw::engine::pellwick_mod& mod,
                             QWidget* parent)
    : QWidget(parent), MyAgent(agent), char_folders(character_folders(mod.program_folder)), mod_(mod)
{
    build_controls();
    connect_agent_events();
    mod_.character_loader = [this](const QString& id) { get_char(id); };
}

pellwick_form::~pellwick_form() { mod_.character_loader = nullptr; }

void pellwick_form::build_controls()
{
    // Layout in twips, as designed; the client area is 2640 x 3990.
    show_prog[0] = new QRadioButton(QStringLiteral("Show me"), this);
    show_prog[1] = new QRadioButton(QStringLiteral("Program"), this);
    show_prog[1]->setChecked(true);
    show_prog[0]->setToolTip(QStringLiteral("Select to view action when double clicked"));
    show_prog[1]->setToolTip(QStringLiteral("Select to program action into Script when double clicked"));
    Label1 = new QLabel(QStringLiteral("Character:"), this);
    char_avail = new QComboBox(this);
    AnimationFrame = new QGroupBox(QStringLiteral("&Animations for"), this);
    AnimationListBox = new QListWidget(AnimationFrame);
    AnimationListBox->setToolTip(QStringLiteral("Double click to add action to Script"));

    const int row = show_prog[0]->sizeHint().height();
    show_prog[0]->setGeometry(twips_rect(135, 90, 1230, 0, this).adjusted(0, 0, 0, row));
    show_prog[1]->setGeometry(twips_rect(1365, 90, 1230, 0, this).adjusted(0, 0, 0, row));
    const int combo_height = char_avail->sizeHint().height();
    const QRect combo = twips_rect(1185, 495, 1350, 0, this).adjusted(0, 0, 0, combo_height);
    char_avail->setGeometry(combo);
    const QRect label = twips_rect(165, 540, 1000, 0, this);
    Label1->setGeometry(label.x(), combo.y(), label.width(), combo_height);
    AnimationFrame->setGeometry(twips_rect(45, 960, 2535, 2955, this));
    AnimationListBox->setGeometry(twips_rect(90, 270, 2340, 2595, this));

    const QRect client = twips_rect(0, 0, 2640, 3990, this);
    setMinimumSize(client.size());
    resize(client.size());

    connect(char_avail, &QComboBox::currentIndexChanged, this, [this] { char_avail_Click(); });
    connect(AnimationListBox, &QListWidget::itemDoubleClicked, this, [this] { AnimationListBox_DblClick(); });
    AnimationListBox->installEventFilter(this);
}

bool pellwick_form::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on an entry is the keyboard's double click.
    if (watched == AnimationListBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && AnimationListBox->currentItem()) {
            AnimationListBox_DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void pellwick_form::AnimationListBox_DblClick()
{
    const QListWidgetItem* item = AnimationListBox->currentItem();
    if (!item || !editor_) return;
    const bool show_me = show_prog[0]->isChecked();
    compose(mod_, *editor_, show_me, item->text());
    if (!show_me) Q_EMIT script_line_added();
}

void pellwick_form::connect_agent_events()
{
    using pw::agent::AgentControl;
    connect(&MyAgent, &AgentControl::Click, this, &pellwick_form::MyAgent_Click);
    connect(&MyAgent, &AgentControl::DblClick, this, &pellwick_form::MyAgent_DblClick);
    connect(&MyAgent, &AgentControl::Command, this, &pellwick_form::MyAgent_Command);
    connect(&MyAgent, &AgentControl::RequestStart, this, &pellwick_form::MyAgent_RequestStart);
    connect(&MyAgent, &AgentControl::RequestComplete, this, &pellwick_form::MyAgent_RequestComplete);
    connect(&MyAgent, &AgentControl::IdleStart, this, &pellwick_form::MyAgent_IdleStart);
    connect(&MyAgent, &AgentControl::IdleComplete, this, &pellwick_form::MyAgent_IdleComplete);
    connect(&MyAgent, &AgentControl::BalloonHide, this, &pellwick_form::MyAgent_BalloonHide);
    connect(&MyAgent, &AgentControl::Move, this, &pellwick_form::MyAgent_Move);
}

QString pellwick_form::load_error_message(const QString& id)
{
    return QStringLiteral("There was an error getting ") + id
           + QStringLiteral(". Make sure you have the character properly installed! Perhaps the file is currupt.");
}

void pellwick_form::Form_Load()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        // Screen size in twips over twips per pixel comes back to whole pixels.
        mod_.screen_width_px = screen->geometry().width();
        mod_.screen_height_px = screen->geometry().height();
    }
    mod_.size_slots(mod_.char_count);

    const QList<CharacterFile> files = find_character_files(char_folders);
    char_avail->clear();
    char_avail->addItem(QStringLiteral("All"));
    mod_.char_count = int16_t(qMin<qsizetype>(files.size(), 32767));

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

void pellwick_form::greet_or_end()
{
    try {
        const int slot = mod_.char_index(QStringLiteral("pellwick"));
        if (slot < 0 || !mod_.char_loaded[slot] || !mod_.chars[slot])
            throw pw::agent::AgentError(pw::agent::error::character_invalid, QStringLiteral("no Pellwick"));
        mod_.chars[slot]->show();
        mod_.char_say(slot, greeting());
    } catch (const std::exception&) {
        message_box(missing_pellwick_message(), this);
        mod_.end_program(1);
    }
}

int pellwick_form::free_slot()
{
    const int last = qMin<int>(mod_.char_count, mod_.slot_count() - 1);
    for (int i = 0; i <= last; ++i)
        if (!mod_.char_loaded[i]) return i;
    // Every slot is taken (more characters than files were found at start-up): add
    // one rather than overwrite a loaded character, and let the loops see it.
    const int slot = qMax<int>(mod_.slot_count(), mod_.char_count + 1);
    mod_.size_slots(slot + 1);
    mod_.char_count = int16_t(slot + 1);
    return slot;
}

void pellwick_form::get_char(const QString& id)
{
    int slot = mod_.char_index(id);
    try {
        if (slot >= 0) {
            if (mod_.char_loaded[slot]) {
                mod_.chars[slot] = nullptr;
                mod_.char_loaded[slot] = false;
                MyAgent.unload(mod_.char_ids[slot]);
            }
        } else {
            slot = free_slot();
        }

        mod_.char_ids[slot] = id;
        mod_.current_char = id;
        mod_.char_request[slot] = MyAgent.load(id, character_path(char_folders, id));
        mod_.let_events_run();

        pw::agent::Character* c = MyAgent.item(id);
        mod_.chars[slot] = c;
        mod_.char_loaded[slot] = true;
        c->set_language_id(us_english);

        Q_EMIT sound_frame_caption(QStringLiteral("&Sounds for All"));

        pw::agent::Commands& commands = c->commands();
        commands.remove_all();
        commands.add(QStringLiteral("Quit"), QStringLiteral("&Quit"));
        commands.add(QStringLiteral("Cancel Script"), QStringLiteral("&Cancel Script"),
                     QStringLiteral("Cancel [Script]"), true);
        commands.set_global_voice_commands_enabled(false);

        const QPoint at = window_position();
        const double tx = twips_per_pixel_x(this);
        const double ty = twips_per_pixel_y(this);
        c->set_left(int(round_half_even((at.x() * tx + char_offset_x_twips) / tx)));
        c->set_top(int(round_half_even((at.y() * ty + char_offset_y_twips) / ty)));

        InitPopupMenuCmds();

        mod_.char_height[slot] = mod_.char_default_height[slot] = c->height();
        mod_.char_width[slot] = mod_.char_default_width[slot] = c->width();
        mod_.current_char = id;
        mod_.let_events_run();
    } catch (const std::exception&) {
        message_box(load_error_message(id), this);
        if (slot >= 0 && slot < mod_.slot_count()) {
            mod_.chars[slot] = nullptr;
            mod_.char_loaded[slot] = false;
            mod_.char_ids[slot].clear();
        }
        // A character that loaded but failed later would otherwise stay on the platform
        // with no slot, and every later load of it would fail as "already loaded".
        try {
            if (MyAgent.is_loaded(id)) MyAgent.unload(id);
        } catch (const std::exception&) {
        }
    }
}

QPoint pellwick_form::window_position() const
{
    if (window() == this) return pos();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub->pos();
    return window()->pos();
}

void pellwick_form::InitPopupMenuCmds()
{
    if (mod_.slot_count() < 1 || !mod_.chars[0]) return;
    pw::agent::Commands& commands = mod_.chars[0]->commands();
    commands.remove_all();
    commands.add(QStringLiteral("AdvCharOptions"), QStringLiteral("&Advanced Character Options"));
}

void pellwick_form::get_general_commands()
{
    AnimationListBox->clear();
    AnimationFrame->setTitle(QStringLiteral("General Commands"));
    AnimationListBox->addItems(general_commands());
}

void pellwick_form::char_avail_Click()
{
    AnimationListBox->clear();
    const int index = char_avail->currentIndex();
    if (index <= 0) {
        get_general_commands();
        return;
    }
    const QString id = char_avail->currentText();
    mod_.current_char = id;
    AnimationFrame->setTitle(id + QStringLiteral(" Commands"));
    AnimationListBox->addItems(character_command_lines(id));

    // The slot is looked up by id: a character whose load failed may have left its
    // slot to another one, whose animations must not be listed under this name.
    const int slot = mod_.char_index(id);
    if (slot < 0 || !mod_.char_loaded[slot] || !mod_.chars[slot]) return;
    try {
        AnimationListBox->addItems(character_animation_lines(id, mod_.chars[slot]->animation_names()));
    } catch (const std::exception&) {
    }
}

}  // namespace pw::stage
