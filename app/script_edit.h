#pragma once
// The text box of the Script window: a plain text editor with the line numbers in a
// margin, colours and spelling hints (a hint's text is the tool tip of its wavy
// line), and completion of the word after a prefix (Tab or Enter takes it, Esc closes
// the list and nothing else).

#include "app/script_words.h"

#include <QPlainTextEdit>

#include <functional>

class QCompleter;
class QMimeData;
class QStringListModel;

namespace pw::app {

class LineNumbers;
class ScriptHighlighter;

class ScriptEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEdit(QWidget* parent = nullptr);
    ~ScriptEdit() override;

    // Where the characters' ids and animations come from.
    void set_words(std::function<ScriptVocabulary()> words);
    ScriptHighlighter* highlighter() const { return highlighter_; }
    QCompleter* completer() const { return completer_; }

    int line_numbers_width() const;
    void paint_line_numbers(QPaintEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Every paste (keys, menu, middle click, drop) comes through these two.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update_margin_width();
    void update_margin(const QRect& rect, int dy);
    // Opens, narrows or closes the list for the word being typed.
    void offer_completion();
    void take_completion(const QString& word);
    void swallow_escape_release(bool on);

    LineNumbers* line_numbers_ = nullptr;
    ScriptHighlighter* highlighter_ = nullptr;
    std::function<ScriptVocabulary()> words_;
    QCompleter* completer_ = nullptr;
    QStringListModel* completion_model_ = nullptr;
    QString completion_character_;
    int typed_start_ = 0;  // where the word being completed begins in its line
    bool eat_escape_release_ = false;
};

}  // namespace pw::app
