#include "app/script_edit.h"

#include "app/line_numbers.h"
#include "app/script_highlighter.h"
#include "engine/script_lines.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>
#include <QToolTip>

#include <algorithm>

namespace pw::app {

namespace {
constexpr int margin_padding = 6;  // pixels on each side of the numbers
}

ScriptEdit::ScriptEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setAccessibleName(QStringLiteral("Script"));
    line_numbers_ = new LineNumbers(*this);
    highlighter_ = new ScriptHighlighter(document(), [this] { return words_ ? words_() : ScriptVocabulary{}; });
    highlighter_->set_background(palette().color(QPalette::Base));

    completion_model_ = new QStringListModel(this);
    completer_ = new QCompleter(completion_model_, this);
    completer_->setWidget(this);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setModelSorting(QCompleter::UnsortedModel);
    completer_->popup()->setAccessibleName(QStringLiteral("Words you can use"));
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& word) { take_completion(word); });

    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { update_margin_width(); });
    connect(this, &QPlainTextEdit::updateRequest, this,
            [this](const QRect& rect, int dy) { update_margin(rect, dy); });
    update_margin_width();
}

ScriptEdit::~ScriptEdit()
{
    swallow_escape_release(false);
}

void ScriptEdit::set_words(std::function<ScriptVocabulary()> words)
{
    words_ = std::move(words);
    highlighter_->refresh_words();
}

// ---- The margin ----

int ScriptEdit::line_numbers_width() const
{
    int digits = 1;
    for (int n = qMax(1, blockCount()); n >= 10; n /= 10) ++digits;
    // Room for three digits at least, so the margin does not jump at line 10 and 100.
    digits = qMax(digits, 3);
    return 2 * margin_padding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void ScriptEdit::update_margin_width()
{
    setViewportMargins(line_numbers_width(), 0, 0, 0);
}

void ScriptEdit::update_margin(const QRect& rect, int dy)
{
    if (dy) line_numbers_->scroll(0, dy);
    // The text cursor's blink changes no number (its rect comes with a few pixels around it).
    else if (!cursorRect().adjusted(-8, -2, 8, 2).contains(rect))
        line_numbers_->update(0, rect.y(), line_numbers_->width(), rect.height());
    if (rect.contains(viewport()->rect())) update_margin_width();
}

void ScriptEdit::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    line_numbers_->setGeometry(QRect(r.left(), r.top(), line_numbers_width(), r.height()));
}

void ScriptEdit::paint_line_numbers(QPaintEvent& event)
{
    QPainter painter(line_numbers_);
    const QColor base = palette().color(QPalette::Base);
    painter.fillRect(event.rect(), base.darker(106));
    painter.setPen(ScriptHighlighter::readable(QColor(0x8a, 0x8f, 0x9c), base.darker(106)));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int line_height = fontMetrics().height();
    while (block.isValid() && top <= event.rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= event.rect().top())
            painter.drawText(0, top, line_numbers_->width() - margin_padding, line_height, Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
    }
}

// ---- Hints and colours ----

void ScriptEdit::focusInEvent(QFocusEvent* event)
{
    // The characters may have loaded (or learned new tricks) since the last look.
    highlighter_->refresh_words();
    QPlainTextEdit::focusInEvent(event);
}

void ScriptEdit::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        highlighter_->set_background(palette().color(QPalette::Base));
}

bool ScriptEdit::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return QPlainTextEdit::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QTextCursor at = cursorForPosition(help->pos());
    // Only over the text itself, not the empty space right of a line.
    const QRect place = cursorRect(at);
    const bool over_text = qAbs(place.center().x() - help->pos().x()) <= fontMetrics().averageCharWidth() * 2;
    const QString hint =
        over_text ? highlighter_->hint_at(at.block().blockNumber(), at.positionInBlock()) : QString();
    if (hint.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(help->globalPos(), hint, viewport());
    return true;
}

// ---- Pasting ----

// Qt 6.4's text control crashes on a clipboard that offers no format at all (an X
// server where nobody owns the clipboard): such a paste has nothing to insert anyway.
bool ScriptEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source && !source->formats().isEmpty() && QPlainTextEdit::canInsertFromMimeData(source);
}

void ScriptEdit::insertFromMimeData(const QMimeData* source)
{
    if (source && !source->formats().isEmpty()) QPlainTextEdit::insertFromMimeData(source);
}

// ---- Completion ----

void ScriptEdit::keyPressEvent(QKeyEvent* event)
{
    if (completer_->popup()->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Escape:
            // The list closes; the key's release must not reach the window keys, where
            // Esc cancels a running script.
            swallow_escape_release(true);
            [[fallthrough]];
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            event->ignore();  // the completer takes or closes the list
            return;
        default:
            break;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
    const QString typed = event->text();
    const bool letter = !typed.isEmpty() && typed.front().isLetter();
    if (!isReadOnly() && (letter || (event->key() == Qt::Key_Backspace && completer_->popup()->isVisible())))
        offer_completion();
    else if (event->key() != Qt::Key_Shift)
        completer_->popup()->hide();
}

void ScriptEdit::offer_completion()
{
    const QTextCursor cursor = textCursor();
    const QString line = cursor.block().text();
    const int column = cursor.positionInBlock();
    const pw::engine::script::ScriptLine read = pw::engine::script::read_line(line);
    auto close = [this] { completer_->popup()->hide(); };
    if (!read.has_prefix || column < read.statement_column) return close();
    int start = read.statement_column;
    while (start < column && line[start] == QLatin1Char(' ')) ++start;
    const QString typed = line.mid(start, column - start);
    const bool at_word_end = column == line.size() || line[column] == QLatin1Char(' ');
    if (typed.isEmpty() || !at_word_end || !std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isLetter(); }))
        return close();

    const QString& character = read.prefix;
    if (character.compare(completion_character_, Qt::CaseInsensitive) != 0 || completion_model_->rowCount() == 0) {
        completion_character_ = character;
        completion_model_->setStringList(completion_words(words_ ? words_() : ScriptVocabulary{}, character));
    }
    typed_start_ = start;
    completer_->setCompletionPrefix(typed);
    const int found = completer_->completionCount();
    if (found == 0 || (found == 1 && completer_->currentCompletion().compare(typed, Qt::CaseInsensitive) == 0))
        return close();
    completer_->popup()->setCurrentIndex(completer_->completionModel()->index(0, 0));
    QRect r = cursorRect();
    // The widest word, the frame on both sides (with the style's padding, known once
    // polished) and the scroll bar.
    QAbstractItemView* popup = completer_->popup();
    popup->ensurePolished();
    r.setWidth(popup->sizeHintForColumn(0) + 2 * popup->frameWidth() + popup->verticalScrollBar()->sizeHint().width());
    completer_->complete(r);
}

void ScriptEdit::take_completion(const QString& word)
{
    QTextCursor c = textCursor();
    const int column = c.positionInBlock();
    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, column - typed_start_);
    c.insertText(word);
    setTextCursor(c);
}

void ScriptEdit::swallow_escape_release(bool on)
{
    if (on == eat_escape_release_) return;
    eat_escape_release_ = on;
    // Installed now, this filter sees the key before every filter installed earlier.
    if (on) qApp->installEventFilter(this);
    else qApp->removeEventFilter(this);
}

bool ScriptEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (eat_escape_release_ && (event->type() == QEvent::KeyRelease || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && event->type() == QEvent::KeyRelease) {
            if (!key->isAutoRepeat()) swallow_escape_release(false);
            return true;
        }
        if (key->key() != Qt::Key_Escape) swallow_escape_release(false);
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

}  // namespace pw::app
