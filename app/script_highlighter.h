#pragma once
// Colours as the child types: the prefix in its character's colour, statements,
// animations, numbers, comments, speed and wait words each in their own colour, and a
// wavy underline under what will go wrong (the hint's text is the tool tip). All
// colours are darkened until they read well on the editor's background.

#include "app/script_check.h"

#include <QColor>
#include <QSet>
#include <QSyntaxHighlighter>

#include <functional>

namespace pw::app {

class ScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    using WordSource = std::function<ScriptVocabulary()>;
    ScriptHighlighter(QTextDocument* document, WordSource words);

    void set_background(const QColor& background);
    // Reads the characters again (they load after the editor opens) and recolours
    // when their words changed.
    void refresh_words();

    // The checked line of a block (the line before the latest change while a change is
    // being coloured); nullptr past the end.
    const CheckedLine* checked(int block_number);
    // The hint under a place in a block; empty when there is none.
    QString hint_at(int block_number, int column);

    QColor colour_of(WordKind kind) const;
    QColor character_colour(const QString& id) const;
    // The colour itself, or darker, until its contrast to the background is 4.5:1.
    static QColor readable(const QColor& colour, const QColor& background);
    static double contrast(const QColor& a, const QColor& b);

protected:
    void highlightBlock(const QString& text) override;

private:
    void check_again();
    void recolour_stale();

    WordSource words_;
    ScriptVocabulary vocabulary_;
    QColor background_{0xff, 0xfb, 0xe6};
    CheckedLines cache_;
    QStringList texts_;  // the lines as they were checked
    QList<CheckedLine> lines_;
    bool checked_valid_ = false;
    QSet<int> stale_;
    bool recolour_queued_ = false;
};

}  // namespace pw::app
