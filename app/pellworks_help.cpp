// The main window's "Window" menu, which brings back a child window that a child
// closed, and the help book with its "Try it" examples and F1 in the Script window.

#include "app/autosave.h"
#include "app/help_window.h"
#include "app/pellworks_window.h"
#include "app/script_window.h"
#include "engine/run_state.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextBlock>

#include <algorithm>

namespace pw::app {

void Pellworks::build_window_menu()
{
    window_menu = menuBar()->addMenu(QStringLiteral("&Window"));
    show_script = window_menu->addAction(QStringLiteral("Script"));
    show_actions = window_menu->addAction(QStringLiteral("Actions"));
    show_sounds = window_menu->addAction(QStringLiteral("Sounds"));
    show_clock_window = window_menu->addAction(QStringLiteral("Clock"));
    connect(show_script, &QAction::triggered, this, [this] { bring_back(script_window_); });
    connect(show_actions, &QAction::triggered, this, [this] { bring_back(stage_window_); });
    connect(show_sounds, &QAction::triggered, this, [this] { bring_back(sounds_window_); });
    connect(show_clock_window, &QAction::triggered, this, [this] { bring_back(clock_window_); });
    // The clock is there only while a script runs.
    connect(window_menu, &QMenu::aboutToShow, this, [this] { show_clock_window->setEnabled(bool(clock_window_)); });

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), script_->script_text, nullptr, nullptr, Qt::WidgetShortcut);
    connect(f1, &QShortcut::activated, this,
            [this] { show_help_for(script_->script_text->textCursor().block().text()); });
}

void Pellworks::bring_back(QMdiSubWindow* sub)
{
    if (!sub) return;
    // Closing from the title bar hid the window inside the frame as well.
    if (sub->widget()) sub->widget()->show();
    if (sub->isMinimized())
        sub->showNormal();
    else
        sub->show();
    area_->setActiveSubWindow(sub);
}

HelpWindow* Pellworks::open_help_window()
{
    if (!help_) {
        const QString folder = help_folder.isEmpty() ? QDir(state_.program_folder).filePath(QStringLiteral("help"))
                                                     : help_folder;
        help_ = new HelpWindow(folder);
        connect(help_, &HelpWindow::try_it, this, [this](const QString& script) { try_example(script); });
        help_window_ = add_child(help_);
        // First place: the right-hand part of the frame, beside the stage, as tall as
        // the frame allows; the child can move and resize it.
        const QSize room = area_->viewport()->size();
        const QSize size(std::clamp(room.width() * 3 / 5, std::min(640, room.width()), room.width()),
                         std::max(room.height() * 9 / 10, std::min(480, room.height())));
        help_window_->resize(size);
        help_window_->move(std::max(0, room.width() - size.width() - 8), std::max(0, (room.height() - size.height()) / 2));
    }
    // Each time it opens, not while it is open: it never jumps away from the mouse.
    if (!help_window_->isVisible())
        place_clear_of_characters(help_window_, help_window_->pos(),
                                  smallest_reading_window.expandedTo(help_window_->minimumSizeHint()));
    bring_back(help_window_);
    return help_;
}

void Pellworks::show_help_book()
{
    open_help_window()->show_first_page();
}

void Pellworks::show_help_for(const QString& line)
{
    open_help_window()->show_statement(line);
}

void Pellworks::try_example(const QString& script)
{
    bring_back(script_window_);
    QPlainTextEdit* editor = script_->script_text;
    // A running script's text stays as it is.
    if (editor->isReadOnly()) return;
    // What was typed is kept before the example joins it, as before a load.
    script_->autosave().write_pending();
    QTextCursor cursor(editor->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!cursor.block().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(script);
    cursor.endEditBlock();
    script_->show_last_line();
    editor->setFocus(Qt::OtherFocusReason);
}

}  // namespace pw::app
