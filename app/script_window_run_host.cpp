// What a run sees of the Script window: the editor's text and running line, the clock,
// the other windows, sounds, keys, programs and message boxes.

#include "app/script_window.h"

#include "app/child_windows.h"
#include "app/editor_positions.h"
#include "engine/keyboard_handler.h"
#include "media/clock_window.h"
#include "platform/desktop/program_starter.h"
#include "agent/voice/wave_device.h"
#include "windows/message_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

namespace pw::app {

namespace {
// The running line: a soft yellow that shows whether or not the editor has the focus.
const QColor running_line_colour(255, 236, 140);
}  // namespace

QString ScriptWindow::editor_text() const
{
    return crlf_text(*script_text->document());
}

void ScriptWindow::set_editor_text(const QString& text)
{
    script_text->setPlainText(text);
}

void ScriptWindow::mark_line(int line, int column, int length)
{
    // A script line is a line of the document: both break at every line break.
    const QTextBlock block = script_text->document()->findBlockByNumber(line);
    if (!block.isValid()) return;
    const int end = block.length() - 1;
    const int a = block.position() + qBound(0, column, end);
    const int b = block.position() + qBound(0, column + qMax(0, length), end);
    QTextCursor c(script_text->document());
    c.setPosition(a);
    c.setPosition(b, QTextCursor::KeepAnchor);
    script_text->setTextCursor(c);
    mark_running_line(a, b);
}

void ScriptWindow::clear_line_mark()
{
    QTextCursor c = script_text->textCursor();
    c.setPosition(c.selectionStart());
    script_text->setTextCursor(c);
    mark_running_line(c.position(), c.position());
}

void ScriptWindow::mark_running_line(int doc_start, int doc_end)
{
    QList<QTextEdit::ExtraSelection> marks;
    if (doc_end > doc_start) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(script_text->document());
        mark.cursor.setPosition(doc_start);
        mark.cursor.setPosition(doc_end, QTextCursor::KeepAnchor);
        mark.format.setBackground(running_line_colour);
        marks << mark;
    }
    script_text->setExtraSelections(marks);
}

void ScriptWindow::focus_editor()
{
    script_text->setFocus(Qt::OtherFocusReason);
}

void ScriptWindow::repaint_editor()
{
    script_text->viewport()->repaint();
}

void ScriptWindow::set_editor_read_only(bool on)
{
    script_text->setReadOnly(on);
}

bool ScriptWindow::hide_forms_checked() const
{
    return hideit->isChecked();
}

void ScriptWindow::set_convert_labels(const QString& x, const QString& y)
{
    convert[0]->setText(x);
    convert[1]->setText(y);
}

void ScriptWindow::set_clock_ticking(bool on)
{
    clock_wanted_ = on;
    clock_shown_or_hidden();
}

void ScriptWindow::clock_shown_or_hidden()
{
    // A needle nobody can see (the main window hidden for runout, or minimised) stays
    // where it is instead of waking the program twenty times a second.
    const pw::media::ClockWindow* clock = windows_ ? windows_->clock() : nullptr;
    if (clock_wanted_ && clock && clock->isVisible()) clock_timer->start();
    else clock_timer->stop();
}

void ScriptWindow::show_clock()
{
    if (windows_) windows_->show_clock();
}

void ScriptWindow::unload_clock()
{
    if (windows_) windows_->unload_clock();
}

void ScriptWindow::hide_forms()
{
    if (windows_) windows_->hide_forms();
}

void ScriptWindow::show_forms()
{
    if (windows_) windows_->show_forms();
}

void ScriptWindow::play_wave(const QString& path)
{
    wave_player->play(path);
}

void ScriptWindow::stop_wave()
{
    wave_player->stop();
}

void ScriptWindow::install_key_hook()
{
    if (keys_) keys_->install_key_hook();
}

void ScriptWindow::remove_key_hook()
{
    if (keys_) keys_->remove_key_hook();
}

void ScriptWindow::set_report_timer(bool enabled, int interval_ms)
{
    report_timer_.set(enabled, interval_ms);
}

bool ScriptWindow::start_program(const QString& command_line)
{
    return pw::platform::start_program(command_line);
}

void ScriptWindow::message_box(const QString& text, std::function<void()> closed)
{
    pw::windows::open_message_box(text, this, std::move(closed));
}

}  // namespace pw::app
