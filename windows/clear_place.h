#pragma once
// Finding a free spot on the screen: for a message box or a window away from the
// characters, and for a character away from the Script window.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace pw::windows {

// Where something of `size` goes on `screen` (top-left corner): at `wanted` when it
// stays `margin` pixels clear of every rectangle in `keep_free`, else at the nearest
// place that does; when no place does, where it covers least of them. It stays on the
// screen whenever it fits there.
QPoint clear_place(QSize size, QPoint wanted, const QRect& screen, const QList<QRect>& keep_free,
                   int margin = 8);

// The same for a window that may be made smaller, down to `smallest`, when that finds
// it a clear place: the largest such size, else `size` where it covers least.
QRect clear_room(QSize size, QSize smallest, QPoint wanted, const QRect& screen, const QList<QRect>& keep_free,
                 int margin = 8);

}  // namespace pw::windows
