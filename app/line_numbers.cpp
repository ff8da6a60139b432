#include "app/line_numbers.h"

#include "app/script_edit.h"

namespace pw::app {

LineNumbers::LineNumbers(ScriptEdit& edit) : QWidget(&edit), edit_(edit)
{
    setAccessibleName(QStringLiteral("Line numbers"));
    // It fills all it paints: the Script window behind it need not paint first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize LineNumbers::sizeHint() const
{
    return QSize(edit_.line_numbers_width(), 0);
}

void LineNumbers::paintEvent(QPaintEvent* event)
{
    edit_.paint_line_numbers(*event);
}

}  // namespace pw::app
