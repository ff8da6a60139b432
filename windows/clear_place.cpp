#include "windows/clear_place.h"

#include <algorithm>

namespace pw::windows {
namespace {

int clamp_span(int pos, int len, int lo, int hi)
{
    return std::max(lo, std::min(pos, hi - len));
}

QPoint on_screen(QPoint p, QSize size, const QRect& screen)
{
    if (screen.isEmpty()) return p;
    return QPoint(clamp_span(p.x(), size.width(), screen.left(), screen.left() + screen.width()),
                  clamp_span(p.y(), size.height(), screen.top(), screen.top() + screen.height()));
}

qint64 covered(const QRect& r, const QList<QRect>& keep_free, int margin)
{
    qint64 area = 0;
    for (const QRect& k : keep_free) {
        const QRect both = r.intersected(k.adjusted(-margin, -margin, margin, margin));
        if (!both.isEmpty()) area += qint64(both.width()) * both.height();
    }
    return area;
}

}  // namespace

QPoint clear_place(QSize size, QPoint wanted, const QRect& screen, const QList<QRect>& keep_free, int margin)
{
    // The candidates: the wanted place, and every place that just touches the margin of
    // a rectangle to be kept free, on any side of it, in any combination.
    QList<int> xs{wanted.x()}, ys{wanted.y()};
    for (const QRect& k : keep_free) {
        if (k.isEmpty()) continue;
        xs << k.left() - margin - size.width() << k.right() + margin + 1;
        ys << k.top() - margin - size.height() << k.bottom() + margin + 1;
    }
    QPoint best = on_screen(wanted, size, screen);
    qint64 best_cover = covered(QRect(best, size), keep_free, margin);
    int best_move = (best - wanted).manhattanLength();
    for (const int x : xs) {
        for (const int y : ys) {
            if (best_cover == 0 && best_move == 0) return best;
            const QPoint p = on_screen(QPoint(x, y), size, screen);
            const qint64 cover = covered(QRect(p, size), keep_free, margin);
            const int move = (p - wanted).manhattanLength();
            if (cover < best_cover || (cover == best_cover && move < best_move)) {
                best = p;
                best_cover = cover;
                best_move = move;
            }
        }
    }
    return best;
}

QRect clear_room(QSize size, QSize smallest, QPoint wanted, const QRect& screen, const QList<QRect>& keep_free,
                 int margin)
{
    smallest = smallest.boundedTo(size);
    // Steps of a fifth of the way down to the smallest; lower before narrower, as a
    // narrow page reads worst.
    constexpr int steps = 5;
    for (int w = 0; w <= steps; ++w) {
        for (int h = 0; h <= steps; ++h) {
            const QSize s(size.width() - (size.width() - smallest.width()) * w / steps,
                          size.height() - (size.height() - smallest.height()) * h / steps);
            const QRect r(clear_place(s, wanted, screen, keep_free, margin), s);
            if (covered(r, keep_free, margin) == 0) return r;
        }
    }
    return QRect(clear_place(size, wanted, screen, keep_free, margin), size);
}

}  // namespace pw::windows
