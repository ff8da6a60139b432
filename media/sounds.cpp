#include "media/sounds.h"

#include "media/sound_names.h"
#include "media/window_look.h"
#include "platform/core/user_folders.h"
#include "stage/twips.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pw::media {

namespace {
constexpr int relist_delay_ms = 100;
}  // namespace

sounds::sounds(pw::engine::pellwick_mod& mod, pw::engine::RunHost& editor, QWidget* parent)
    : QWidget(parent), mod_(mod), editor_(editor)
{
    build_controls();
}

sounds::~sounds() = default;

void sounds::build_controls()
{
    setWindowTitle(QStringLiteral("Sounds"));
    setWindowIcon(look::icon(QStringLiteral("note")));
    look::dress(this);

    sounds_frame = new QGroupBox(QStringLiteral("&Sounds for"), this);
    show_prog[0] = new QRadioButton(QStringLiteral("Hear me"), sounds_frame);
    show_prog[1] = new QRadioButton(QStringLiteral("Program"), sounds_frame);
    show_prog[0]->setIcon(look::icon(QStringLiteral("speaker")));
    show_prog[1]->setIcon(look::icon(QStringLiteral("pencil")));
    show_prog[0]->setToolTip(QStringLiteral("Select to hear sounds when double clicked"));
    show_prog[1]->setToolTip(QStringLiteral("Select to program sound into Script when double clicked"));
    show_prog[1]->setChecked(true);
    sounds1 = new QListWidget(sounds_frame);
    sounds1->setToolTip(QStringLiteral("Double click to add sound to Script"));
    sounds1->setAccessibleName(QStringLiteral("Sounds"));
    for (QRadioButton* b : show_prog) {
        b->setIconSize(QSize(22, 22));
        b->setAccessibleName(b->text());
    }

    auto* frame_layout = new QVBoxLayout(sounds_frame);
    frame_layout->setSpacing(2);
    frame_layout->addWidget(show_prog[0]);
    frame_layout->addWidget(show_prog[1]);
    frame_layout->addWidget(sounds1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addWidget(sounds_frame);

    // The list shows at least five whole sounds.
    sounds1->setMinimumHeight(5 * (sounds1->fontMetrics().height() + 8) + 8);

    // A double click, or Enter on the selected sound.
    connect(sounds1, &QListWidget::itemActivated, this, [this] { sounds1_DblClick(); });

    watcher_ = new QFileSystemWatcher(this);
    relist_ = new QTimer(this);
    relist_->setSingleShot(true);
    relist_->setInterval(relist_delay_ms);
    connect(relist_, &QTimer::timeout, this, [this] { get_sounds(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, relist_, qOverload<>(&QTimer::start));
}

QSize sounds::sizeHint() const
{
    // The design size, as far as the readable font lets it be.
    return pw::stage::twips_rect(0, 0, design_width_twips, design_height_twips, this).size().expandedTo(
        minimumSizeHint());
}

QString sounds::folder() const
{
    return pw::folders::sounds_folder(mod_.user_folder);
}

void sounds::Form_Load()
{
    get_sounds();
}

void sounds::watch_folder()
{
    const QStringList watched = watcher_->directories();
    if (watched == QStringList{folder()}) return;
    if (!watched.isEmpty()) watcher_->removePaths(watched);
    // A folder that is not there yet is watched from the next listing on.
    if (QFileInfo(folder()).isDir()) watcher_->addPath(folder());
}

void sounds::get_sounds()
{
    watch_folder();
    const QListWidgetItem* current = sounds1->currentItem();
    const QString selected = current ? current->text() : QString();
    sounds1->clear();
    sounds1->addItems(sound_names(folder()));
    if (selected.isEmpty()) return;
    const QList<QListWidgetItem*> same = sounds1->findItems(selected, Qt::MatchExactly);
    if (!same.isEmpty()) sounds1->setCurrentItem(same.first());
}

void sounds::sounds1_DblClick()
{
    const QListWidgetItem* item = sounds1->currentItem();
    const QString name = item ? item->text() : QString();
    if (show_prog[0]->isChecked()) {
        hear(name);
        return;
    }
    editor_.set_editor_text(programmed_text(editor_.editor_text(), name));
}

void sounds::hear(const QString& name)
{
    // Returns at once. The end of playing or a sound that cannot be played sets
    // stop_sound; a cancel and Esc stop the device as well.
    mod_.stop_sound = false;
    editor_.play_wave(sound_file_path(folder(), name));
}

QString sounds::programmed_text(const QString& script, const QString& name)
{
    qsizetype blanks = 0;
    while (blanks < script.size() && script.at(blanks) == QLatin1Char(' ')) ++blanks;
    return script.mid(blanks) + QStringLiteral("\r\nsound ") + name.trimmed();
}

}  // namespace pw::media
