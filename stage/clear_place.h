#pragma once
// Finding a free spot on the screen: for a message box away from the characters, and
// for a character away from the Script window.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace pw::stage {

// Where something of `size` goes on `screen` (top-left corner): at `wanted` when it
// stays `margin` pixels clear of every rectangle in `keep_free`, else at the nearest
// place that does; when no place does, where it covers least of them. It stays on the
// screen whenever it fits there.
QPoint clear_place(QSize size, QPoint wanted, const QRect& screen, const QList<QRect>& keep_free,
                   int margin = 8);

}  // namespace pw::stage
