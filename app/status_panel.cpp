#include "app/status_panel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pw::app {

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent)
{
    // The texts never make the frame wider: a narrow frame cuts them short.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(40);
    // The panel paints its own background, so a new text repaints the panel alone and
    // not the bar and the window behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusPanel::setText(const QString& text)
{
    if (text == text_)
        return;
    // Most new texts change at their end only (the last digits of the free space, the
    // mouse position): the letters before the first change are not painted again.
    qsizetype same = 0;
    const qsizetype common = qMin(text.size(), text_.size());
    while (same < common && text[same] == text_[same])
        ++same;
    const int kept = same ? QFontMetrics(text_font()).horizontalAdvance(text.left(same)) - overhang_px : 0;
    text_ = text;
    // A screen reader reads the text itself as the panel's name.
    setAccessibleName(text);
    update(QRect(qMax(0, kept), 0, width(), height()));
}

QFont StatusPanel::text_font() const
{
    // No shaping of text that needs none (digits and Latin letters), which would cost
    // more than the rest of the repaint.
    QFont f = font();
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

QSize StatusPanel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height() + 2};
}

QSize StatusPanel::minimumSizeHint() const
{
    return {40, fontMetrics().height() + 2};
}

void StatusPanel::paintEvent(QPaintEvent*)
{
    // One plain line, without a line layout.
    QPainter p(this);
    const QWidget* bar = parentWidget();
    p.fillRect(rect(), (bar ? bar : this)->palette().window());
    const QFont f = text_font();
    p.setFont(f);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QFontMetrics metrics(f);
    p.drawText(QPoint(0, (height() - metrics.height()) / 2 + metrics.ascent()), text_);
}

void StatusPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void StatusPanel::changeEvent(QEvent* event)
{
    // Only a new font changes the panel's height, and only then does the bar lay out again.
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

}  // namespace pw::app
