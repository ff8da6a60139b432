#include "agent/ui/balloon_text_layout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace pw::agent::ui {

namespace {

// Windows measures a line by the font's average character width; the mean advance of
// the lowercase letters is the same idea and stable across fonts.
qreal average_char_width(const QFont& font)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    return QFontMetricsF(font).horizontalAdvance(letters) / letters.size();
}

QString displayable(QString text)
{
    // Line breaks in the text start new lines; other control characters show as spaces.
    text.replace(QLatin1String("\r\n"), QLatin1String(" \n"));
    for (QChar& c : text) {
        if (c == QLatin1Char('\n'))
            c = QChar::LineSeparator;
        else if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

BalloonTextLayout::BalloonTextLayout(const QString& text, const QFont& font, int chars_per_line,
                                     int max_lines, int max_width)
    : text_(text), font_(font), layout_(std::make_unique<QTextLayout>(displayable(text), font))
{
    const QFontMetricsF metrics(font);
    wrap_width_ = std::clamp(int(std::ceil(std::max(1, chars_per_line) * average_char_width(font))), 1,
                             std::max(1, max_width));
    line_height_ = std::max(1, int(std::ceil(metrics.lineSpacing())));

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);

    qreal widest = 0;
    int y = 0;
    layout_->beginLayout();
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(wrap_width_);
        line.setPosition(QPointF(0, y));
        lines_.append(Line{line.textStart(), line.textLength(), y});
        widest = std::max(widest, line.naturalTextWidth());
        y += line_height_;
    }
    layout_->endLayout();
    if (lines_.isEmpty())
        lines_.append(Line{});

    visible_lines_ = std::clamp(int(lines_.size()), 1, std::max(1, max_lines));
    size_ = QSize(std::max(1, int(std::ceil(widest))), visible_lines_ * line_height_);
}

BalloonTextLayout::~BalloonTextLayout() = default;

int BalloonTextLayout::line_of(int index) const
{
    for (int i = int(lines_.size()) - 1; i > 0; --i) {
        if (index >= lines_[i].start)
            return i;
    }
    return 0;
}

int BalloonTextLayout::first_visible_line(int revealed) const
{
    const int newest = line_of(std::max(0, revealed - 1));
    return std::max(0, newest - visible_lines_ + 1);
}

QRectF BalloonTextLayout::char_rect(int index) const
{
    if (index < 0 || index >= text_.size())
        return {};
    const QTextLine line = layout_->lineAt(line_of(index));
    const qreal x0 = line.cursorToX(index);
    const qreal x1 = line.cursorToX(index + 1);
    return QRectF(std::min(x0, x1), line.y(), std::abs(x1 - x0), line_height_);
}

QRect BalloonTextLayout::changed_area(int from, int to) const
{
    const QRect all(QPoint(0, 0), size_);
    to = std::clamp(to, 0, int(text_.size()));
    if (from < 0 || to <= from || first_visible_line(from) != first_visible_line(to))
        return all;
    const int top_line = line_of(from), bottom_line = line_of(to - 1);
    const int scroll = lines_[first_visible_line(to)].y;
    const int room = line_height_ / 2;
    QRect area(0, lines_[top_line].y - scroll - room, size_.width(),
               lines_[bottom_line].y - lines_[top_line].y + line_height_ + 2 * room);
    if (top_line == bottom_line) {
        const QTextLine line = layout_->lineAt(top_line);
        area.setLeft(int(std::floor(line.cursorToX(from))) - room);
        area.setRight(int(std::ceil(line.cursorToX(to))) + room);
    }
    return area & all;
}

void BalloonTextLayout::draw(QPainter& painter, QPointF origin, int revealed) const
{
    revealed = std::clamp(revealed, 0, int(text_.size()));
    if (revealed == 0)
        return;
    const int first = first_visible_line(revealed);
    const int scroll = lines_[first].y;
    painter.save();
    painter.setFont(font_);
    painter.setClipRect(QRectF(origin, QSizeF(size_)), Qt::IntersectClip);
    for (int i = first; i < first + visible_lines_ && i < int(lines_.size()); ++i) {
        const Line& l = lines_[i];
        if (l.start >= revealed)
            break;
        const QTextLine line = layout_->lineAt(i);
        const QPointF at(origin.x(), origin.y() - scroll);
        if (revealed >= l.start + l.length) {
            line.draw(&painter, at);
            continue;
        }
        // Part of this line is out: draw the whole line, clipped where the reveal ends,
        // so that the glyphs stand exactly where they will stand later.
        painter.save();
        const qreal cut = line.cursorToX(revealed);
        painter.setClipRect(QRectF(at.x() - line_height_, at.y() + l.y,
                                   cut + line_height_, line_height_),
                            Qt::IntersectClip);
        line.draw(&painter, at);
        painter.restore();
    }
    painter.restore();
}

}  // namespace pw::agent::ui
