#pragma once
// The text of a balloon, laid out once for the whole text so that words keep their
// places while they appear one by one. Lines wrap at the character's line width; when
// there are more lines than fit, the view scrolls to keep the newest words in sight.

#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTextLayout>
#include <memory>

class QPainter;

namespace pw::agent::ui {

class BalloonTextLayout {
public:
    // chars_per_line sets the wrap width (in average characters of the font), but
    // never beyond max_width pixels; max_lines is how many lines show at once.
    BalloonTextLayout(const QString& text, const QFont& font, int chars_per_line, int max_lines,
                      int max_width = 4096);
    ~BalloonTextLayout();
    BalloonTextLayout(const BalloonTextLayout&) = delete;
    BalloonTextLayout& operator=(const BalloonTextLayout&) = delete;

    const QString& text() const { return text_; }
    const QFont& font() const { return font_; }
    int wrap_width() const { return wrap_width_; }
    int line_count() const { return int(lines_.size()); }
    int visible_line_count() const { return visible_lines_; }
    int line_height() const { return line_height_; }
    // The visible text area: as wide as the widest line, as high as the visible lines.
    QSize size() const { return size_; }

    // Index of the first character of a line.
    int line_start(int line) const { return lines_.value(line).start; }
    // The line that holds the character at `index`.
    int line_of(int index) const;
    // The first line shown when `revealed` characters are out: the newest revealed
    // line sits at the bottom once the text outgrows the visible lines.
    int first_visible_line(int revealed) const;
    // Where character `index` stands in the full (unscrolled) layout.
    QRectF char_rect(int index) const;

    // The part of the text area (its own pixels) that changes when the reveal goes from
    // `from` characters to `to`: where the new words are written, with room for glyphs
    // that reach past their place; the whole area when the text scrolls or goes back.
    QRect changed_area(int from, int to) const;

    // Draws the first `revealed` characters with the text area's top-left at origin.
    void draw(QPainter& painter, QPointF origin, int revealed) const;

private:
    struct Line {
        int start = 0;
        int length = 0;
        int y = 0;
    };

    QString text_;
    QFont font_;
    std::unique_ptr<QTextLayout> layout_;
    QList<Line> lines_;
    int wrap_width_ = 0;
    int line_height_ = 0;
    int visible_lines_ = 1;
    QSize size_;
};

}  // namespace pw::agent::ui
