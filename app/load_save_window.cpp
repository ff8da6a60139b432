#include "app/load_save_window.h"

#include "app/script_window.h"
#include "app/tell_child.h"
#include "engine/spoken_questions.h"
#include "platform/core/user_folders.h"
#include "windows/twips.h"
#include "windows/window_waits.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pw::app {

namespace {

// Characters stand above every window. Where one covers the dialog's first place, the
// dialog goes beside the characters instead (to their right first, where the stage and
// the script stay in view), or below them, wherever it fits.
QPoint clear_of(const QList<QRect>& characters, const QRect& first, const QRect& area)
{
    QRect blocked;
    for (const QRect& c : characters)
        if (c.intersects(first)) blocked |= c;
    if (blocked.isNull()) return first.topLeft();
    constexpr int gap = 8;
    const QList<QPoint> tries{
        {blocked.right() + gap, first.y()},
        {blocked.left() - gap - first.width(), first.y()},
        {first.x(), blocked.bottom() + gap},
    };
    for (const QPoint& p : tries) {
        const QRect r(p, first.size());
        if (!area.contains(r)) continue;
        if (std::none_of(characters.begin(), characters.end(), [&r](const QRect& c) { return c.intersects(r); }))
            return p;
    }
    return first.topLeft();
}

bool before(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

}  // namespace

LoadSaveWindow::LoadSaveWindow(pw::engine::RunState& state, ScriptWindow& editor, QWidget* parent)
    : QWidget(parent), state_(state), editor_(editor)
{
    build_controls();
}

void LoadSaveWindow::build_controls()
{
    setWindowTitle(QStringLiteral("Load/Save Script"));

    load = new QPushButton(QStringLiteral("Load"), this);
    save_button = new QPushButton(QStringLiteral("Save"), this);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    file_name_box = new QLineEdit(this);
    file_list = new QListWidget(this);
    load->setObjectName(QStringLiteral("load"));
    save_button->setObjectName(QStringLiteral("savef"));
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : {load, save_button, cancel}) {
        b->setAccessibleName(b->text());
        // Enter presses the button that has the focus, as Space does; typing a name and
        // pressing Enter presses nothing.
        b->setAutoDefault(true);
    }
    file_name_box->setAccessibleName(QStringLiteral("File name"));
    file_name_box->setPlaceholderText(QStringLiteral("Type a name"));
    file_list->setAccessibleName(QStringLiteral("Scripts"));
    file_list->setToolTip(QStringLiteral("Double click to load a script"));
    file_list->setSelectionMode(QAbstractItemView::SingleSelection);
    file_list->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(load);
    buttons->addWidget(save_button);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addLayout(buttons);
    column->addWidget(file_name_box);
    column->addWidget(file_list, 1);
    setTabOrder(load, save_button);
    setTabOrder(save_button, cancel);
    setTabOrder(cancel, file_name_box);
    setTabOrder(file_name_box, file_list);

    connect(load, &QPushButton::clicked, this, [this] { load_clicked(); });
    connect(save_button, &QPushButton::clicked, this, [this] { save_clicked(); });
    connect(cancel, &QPushButton::clicked, this, [this] { cancel_clicked(); });
    connect(file_name_box, &QLineEdit::textChanged, this, [this] { file_name_changed(); });
    connect(file_list, &QListWidget::itemClicked, this, [this] { file_list_clicked(); });
    connect(file_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current) {
        if (current) file_list_clicked();
    });
    connect(file_list, &QListWidget::itemDoubleClicked, this, [this] { file_list_double_clicked(); });
    // Scripts saved or added from elsewhere appear while the dialog is open.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { refresh_list(); });
}

QString LoadSaveWindow::folder() const
{
    return pw::folders::scripts_folder(state_.user_folder);
}

QStringList LoadSaveWindow::listed_names() const
{
    QStringList out;
    for (int i = 0; i < file_list->count(); ++i) out << file_list->item(i)->text();
    return out;
}

QString LoadSaveWindow::name_sentence(NameProblem problem)
{
    switch (problem) {
    case NameProblem::none: break;
    case NameProblem::empty: return QStringLiteral("Silly, you have to type in a file name!");
    case NameProblem::separator: return QStringLiteral("Silly, a file name can't have a slash in it!");
    case NameProblem::leading_dot: return QStringLiteral("Silly, a file name can't start with a dot!");
    case NameProblem::control: return QStringLiteral("Silly, a file name can't have hidden characters in it!");
    }
    return {};
}

// ---- Opening and closing ----

void LoadSaveWindow::prepare()
{
    open_ = true;
    watch_folder();
    refresh_list();
    file_list->setCurrentItem(nullptr);
    file_name_box->setText(script_file_name);

    using pw::windows::twips_rect;
    const QRect design = twips_rect(design_left, design_top, design_width, design_height, this);
    const QSize client = design.size().expandedTo(sizeHint());
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->resize(client + (frame->sizeHint() - sizeHint()));
        const QWidget* area = frame->parentWidget();
        QList<QRect> characters;
        for (int i = 0; i < state_.slot_count(); ++i) {
            const pw::agent::Character* c = state_.characters[i].agent;
            if (!c || !c->visible() || !area) continue;
            characters << QRect(area->mapFromGlobal(QPoint(c->left(), c->top())), QSize(c->width(), c->height()));
        }
        const QRect whole = area ? area->rect() : QRect();
        frame->move(clear_of(characters, QRect(design.topLeft(), frame->size()), whole));
    } else {
        resize(client);
    }

    const bool named = !file_name_box->text().isEmpty();
    load->setEnabled(named);
    save_button->setEnabled(named);
    cancel->setEnabled(true);
}

void LoadSaveWindow::closeEvent(QCloseEvent* event)
{
    open_ = false;
    QWidget::closeEvent(event);
}

void LoadSaveWindow::hide_window()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->hide();
    else hide();
}

void LoadSaveWindow::unload()
{
    open_ = false;
    hide_window();
}

void LoadSaveWindow::watch_folder()
{
    // A folder made again (by a save) is a new folder to the watcher.
    const QString wanted = folder();
    const QStringList watched = watcher_.directories();
    if (watched == QStringList{wanted} && QFileInfo(wanted).isDir()) return;
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    if (QFileInfo(wanted).isDir()) watcher_.addPath(wanted);
}

void LoadSaveWindow::refresh_list()
{
    watch_folder();
    QStringList names = QDir(folder()).entryList({QStringLiteral("*.csp")}, QDir::Files);
    std::sort(names.begin(), names.end(), before);
    const QListWidgetItem* current = file_list->currentItem();
    const QString keep = current ? current->text() : QString();

    // Refilling is not the child choosing a name.
    const QSignalBlocker quiet(file_list);
    file_list->clear();
    file_list->addItems(names);
    const qsizetype again = keep.isEmpty() ? -1 : names.indexOf(keep);
    file_list->setCurrentRow(int(again));
}

// ---- The name ----

void LoadSaveWindow::file_name_changed()
{
    load->setEnabled(true);
    save_button->setEnabled(true);
    script_file_name = file_name_box->text();
}

void LoadSaveWindow::file_list_clicked()
{
    if (const QListWidgetItem* item = file_list->currentItem()) file_name_box->setText(item->text());
}

bool LoadSaveWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a script is the keyboard's double click.
    if (watched == file_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && file_list->currentItem()) {
            file_list_double_clicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool LoadSaveWindow::name_is_usable(const QString& name)
{
    const NameProblem problem = script_name_problem(name);
    if (problem == NameProblem::none) return true;
    tell_child(state_, name_sentence(problem));
    return false;
}

// ---- Load ----

void LoadSaveWindow::file_list_double_clicked()
{
    const QListWidgetItem* item = file_list->currentItem();
    if (!item) return;
    file_name_box->setText(item->text());
    load_clicked();
}

bool LoadSaveWindow::load_clicked()
{
    const QString name = file_name_box->text();
    QString path;
    if (state_.command_line_mode != 0) {
        // Started with a file on the command line: a full path works too, and a bare
        // name is looked for in the scripts folder.
        if (name.trimmed().isEmpty()) {
            tell_child(state_, name_sentence(NameProblem::empty));
            return false;
        }
        path = QDir(folder()).filePath(name);
    } else {
        if (!name_is_usable(name)) return false;
        path = folder() + QLatin1Char('/') + name;
    }
    // "tea" is the script tea.csp.
    if (!QFileInfo::exists(path) && !path.endsWith(script_extension)) path += script_extension;

    const ScriptRead read = read_script_file(path);
    if (!read.ok) {
        tell_child(state_, couldnt_read_sentence(read), read.reason, window());
        return false;
    }
    editor_.show_file_text(read.text, QFileInfo(path).fileName());
    hide_window();
    return true;
}

// ---- Save ----

void LoadSaveWindow::save_clicked()
{
    if (!name_is_usable(file_name_box->text())) return;
    // Only a name ending in it is listed as a script (the test is case-sensitive).
    if (!file_name_box->text().endsWith(script_extension)) file_name_box->setText(file_name_box->text() + script_extension);
    const QString path = folder() + QLatin1Char('/') + file_name_box->text();

    if (!QFileInfo(path).isFile()) {
        write_script(path, file_name_box->text());
        return;
    }
    // While the character asks, the dialog waits for the answer and takes no second
    // press.
    setEnabled(false);
    speaker_slot(state_);
    pw::windows::confirm_overwrite(state_, this, [this, path, name = file_name_box->text()](bool yes) {
        setEnabled(true);
        if (yes) write_script(path, name);
    });
}

void LoadSaveWindow::write_script(const QString& path, const QString& name)
{
    // The child's folder may have gone since the start: it is made again.
    if (!state_.user_folder.isEmpty()) QDir().mkpath(folder());
    const QString failure = write_script_file(path, editor_.editor_text());
    if (!failure.isEmpty()) {
        tell_child(state_, couldnt_save_sentence(), failure, window());
        return;
    }
    editor_.text_saved_as(name);
    unload();
}

void LoadSaveWindow::cancel_clicked()
{
    unload();
}

}  // namespace pw::app
