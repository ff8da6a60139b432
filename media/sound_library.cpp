#include "media/sound_library.h"

#include "media/sound_names.h"
#include "platform/core/user_folders.h"
#include "windows/style.h"
#include "windows/twips.h"

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

SoundLibrary::SoundLibrary(pw::engine::RunState& state, pw::engine::RunHost& editor, QWidget* parent)
    : QWidget(parent), state_(state), editor_(editor)
{
    build_controls();
}

SoundLibrary::~SoundLibrary() = default;

void SoundLibrary::build_controls()
{
    setWindowTitle(QStringLiteral("Sounds"));
    setWindowIcon(windows::style::icon(QStringLiteral("note")));
    windows::style::dress(this);

    sounds_frame = new QGroupBox(QStringLiteral("&Sounds for"), this);
    mode_choice[0] = new QRadioButton(QStringLiteral("Hear me"), sounds_frame);
    mode_choice[1] = new QRadioButton(QStringLiteral("Program"), sounds_frame);
    mode_choice[0]->setIcon(windows::style::icon(QStringLiteral("speaker")));
    mode_choice[1]->setIcon(windows::style::icon(QStringLiteral("pencil")));
    mode_choice[0]->setToolTip(QStringLiteral("Select to hear sounds when double clicked"));
    mode_choice[1]->setToolTip(QStringLiteral("Select to program sound into Script when double clicked"));
    mode_choice[1]->setChecked(true);
    sound_list = new QListWidget(sounds_frame);
    sound_list->setToolTip(QStringLiteral("Double click to add sound to Script"));
    sound_list->setAccessibleName(QStringLiteral("Sounds"));
    for (QRadioButton* b : mode_choice) {
        b->setIconSize(QSize(22, 22));
        b->setAccessibleName(b->text());
    }

    auto* frame_layout = new QVBoxLayout(sounds_frame);
    frame_layout->setSpacing(2);
    frame_layout->addWidget(mode_choice[0]);
    frame_layout->addWidget(mode_choice[1]);
    frame_layout->addWidget(sound_list, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addWidget(sounds_frame);

    // The list shows at least five whole sounds.
    sound_list->setMinimumHeight(5 * (sound_list->fontMetrics().height() + 8) + 8);

    // A double click, or Enter on the selected sound.
    connect(sound_list, &QListWidget::itemActivated, this, [this] { sound_list_double_clicked(); });

    watcher_ = new QFileSystemWatcher(this);
    relist_ = new QTimer(this);
    relist_->setSingleShot(true);
    relist_->setInterval(relist_delay_ms);
    connect(relist_, &QTimer::timeout, this, [this] { get_sounds(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, relist_, qOverload<>(&QTimer::start));
}

QSize SoundLibrary::sizeHint() const
{
    // The design size, as far as the readable font lets it be.
    return pw::windows::twips_rect(0, 0, design_width_twips, design_height_twips, this).size().expandedTo(
        minimumSizeHint());
}

QString SoundLibrary::folder() const
{
    return pw::folders::sounds_folder(state_.user_folder);
}

void SoundLibrary::prepare()
{
    get_sounds();
}

void SoundLibrary::watch_folder()
{
    const QStringList watched = watcher_->directories();
    if (watched == QStringList{folder()}) return;
    if (!watched.isEmpty()) watcher_->removePaths(watched);
    // A folder that is not there yet is watched from the next listing on.
    if (QFileInfo(folder()).isDir()) watcher_->addPath(folder());
}

void SoundLibrary::get_sounds()
{
    watch_folder();
    const QListWidgetItem* current = sound_list->currentItem();
    const QString selected = current ? current->text() : QString();
    sound_list->clear();
    sound_list->addItems(sound_names(folder()));
    if (selected.isEmpty()) return;
    const QList<QListWidgetItem*> same = sound_list->findItems(selected, Qt::MatchExactly);
    if (!same.isEmpty()) sound_list->setCurrentItem(same.first());
}

void SoundLibrary::sound_list_double_clicked()
{
    const QListWidgetItem* item = sound_list->currentItem();
    const QString name = item ? item->text() : QString();
    if (mode_choice[0]->isChecked()) {
        hear(name);
        return;
    }
    editor_.set_editor_text(programmed_text(editor_.editor_text(), name));
}

void SoundLibrary::hear(const QString& name)
{
    // Returns at once. The end of playing or a sound that cannot be played sets
    // stop_sound; a cancel and Esc stop the device as well.
    state_.stop_sound = false;
    editor_.play_wave(sound_file_path(folder(), name));
}

QString SoundLibrary::programmed_text(const QString& script, const QString& name)
{
    qsizetype blanks = 0;
    while (blanks < script.size() && script.at(blanks) == QLatin1Char(' ')) ++blanks;
    return script.mid(blanks) + QStringLiteral("\r\nsound ") + name.trimmed();
}

}  // namespace pw::media
