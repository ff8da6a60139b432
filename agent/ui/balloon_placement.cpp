#include "agent/ui/balloon_placement.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace pw::agent::ui {

namespace {

// Room kept between two balloons, so that their outlines never touch.
constexpr int balloon_spacing = 6;
// What taking a less liked side costs, against pixels of moving aside.
constexpr int side_penalty = 100;

// Keeps [pos, pos + len) inside [lo, hi) when it fits, else starts it at lo.
int clamp_span(int pos, int len, int lo, int hi)
{
    return std::max(lo, std::min(pos, hi - len));
}

QRect clamp_into(QRect r, const QRect& screen)
{
    r.moveLeft(clamp_span(r.left(), r.width(), screen.left(), screen.left() + screen.width()));
    r.moveTop(clamp_span(r.top(), r.height(), screen.top(), screen.top() + screen.height()));
    return r;
}

QPoint clamp_point(QPoint p, const QRect& screen)
{
    return QPoint(std::clamp(p.x(), screen.left(), screen.right()),
                  std::clamp(p.y(), screen.top(), screen.bottom()));
}

bool vertical(BalloonSide side) { return side == BalloonSide::Above || side == BalloonSide::Below; }

// The body where it would stand on `side` with nothing else on the screen.
QRect natural_body(BalloonSide side, QSize body, int gap, const QRect& character)
{
    const int cx = character.left() + character.width() / 2;
    const int head_y = character.top() + character.height() / 4;
    QRect r(QPoint(0, 0), body);
    switch (side) {
    case BalloonSide::Above: r.moveTopLeft(QPoint(cx - body.width() / 2, character.top() - gap - body.height())); break;
    case BalloonSide::Below: r.moveTopLeft(QPoint(cx - body.width() / 2, character.top() + character.height() + gap)); break;
    case BalloonSide::Right: r.moveTopLeft(QPoint(character.left() + character.width() + gap, head_y - body.height() / 2)); break;
    case BalloonSide::Left: r.moveTopLeft(QPoint(character.left() - gap - body.width(), head_y - body.height() / 2)); break;
    }
    return r;
}

QPoint tip_for(BalloonSide side, const QRect& character)
{
    const int cx = character.left() + character.width() / 2;
    const int head_y = character.top() + character.height() / 4;
    switch (side) {
    case BalloonSide::Above: return QPoint(cx, character.top());
    case BalloonSide::Below: return QPoint(cx, character.top() + character.height());
    case BalloonSide::Right: return QPoint(character.left() + character.width(), head_y);
    case BalloonSide::Left: return QPoint(character.left(), head_y);
    }
    return character.center();
}

// The body stands wholly on its side of the character, so the tail finds it.
bool on_side(const QRect& r, BalloonSide side, const QRect& character)
{
    switch (side) {
    case BalloonSide::Above: return r.bottom() < character.top();
    case BalloonSide::Below: return r.top() > character.bottom();
    case BalloonSide::Right: return r.left() > character.right();
    case BalloonSide::Left: return r.right() < character.left();
    }
    return false;
}

bool clear_of(const QRect& r, const QList<QRect>& avoid)
{
    return std::none_of(avoid.begin(), avoid.end(), [&](const QRect& a) {
        return r.intersects(a.adjusted(-balloon_spacing, -balloon_spacing, balloon_spacing, balloon_spacing));
    });
}

BalloonPlacement make_placement(BalloonSide side, const QRect& body, const QRect& character, const QRect& screen)
{
    BalloonPlacement p;
    p.side = side;
    p.body = clamp_into(body, screen);
    // The window holds a little room around the tip (see window()), so keep that on
    // the screen too.
    p.tip = clamp_point(tip_for(side, character), screen.adjusted(2, 2, -2, -2));
    return p;
}

}  // namespace

QRect BalloonPlacement::window() const
{
    // A little room around the tip for the outline's thickness.
    return body.united(QRect(tip - QPoint(2, 2), QSize(5, 5)));
}

BalloonPlacement place_balloon(QSize body, int gap, const QRect& character, const QRect& screen,
                               const QList<QRect>& avoid)
{
    const int room_above = character.top() - screen.top();
    const int room_below = screen.top() + screen.height() - (character.top() + character.height());
    const int room_left = character.left() - screen.left();
    const int room_right = screen.left() + screen.width() - (character.left() + character.width());
    const int need_v = body.height() + gap;
    const int need_h = body.width() + gap;

    QList<BalloonSide> roomy;
    if (room_above >= need_v) roomy.append(BalloonSide::Above);
    if (room_below >= need_v) roomy.append(BalloonSide::Below);
    if (room_right >= need_h) roomy.append(BalloonSide::Right);
    if (room_left >= need_h) roomy.append(BalloonSide::Left);
    // No room anywhere: the roomier of above and below, overlapping the character.
    const BalloonSide first = !roomy.isEmpty() ? roomy.first()
                              : room_above >= room_below ? BalloonSide::Above
                                                         : BalloonSide::Below;
    const BalloonPlacement plain = make_placement(first, natural_body(first, body, gap, character), character, screen);
    if (avoid.isEmpty() || clear_of(plain.body, avoid))
        return plain;

    // Another balloon is in the way: slide along each side with room, past the others'
    // edges or further out, and take the place that moves least on the best side.
    // Moving away from the character costs more than sliding along, as the tail grows.
    BalloonPlacement best = plain;
    int best_cost = INT_MAX;
    for (int rank = 0; rank < roomy.size(); ++rank) {
        const BalloonSide side = roomy[rank];
        const QRect natural = clamp_into(natural_body(side, body, gap, character), screen);
        QList<int> xs{natural.left()}, ys{natural.top()};
        for (const QRect& a : avoid) {
            xs << a.left() - balloon_spacing - body.width() << a.right() + balloon_spacing + 1;
            ys << a.top() - balloon_spacing - body.height() << a.bottom() + balloon_spacing + 1;
        }
        for (const int x : xs) {
            for (const int y : ys) {
                const QRect r = clamp_into(QRect(QPoint(x, y), body), screen);
                if (!on_side(r, side, character) || !clear_of(r, avoid))
                    continue;
                const int along = vertical(side) ? std::abs(r.left() - natural.left()) : std::abs(r.top() - natural.top());
                const int out = vertical(side) ? std::abs(r.top() - natural.top()) : std::abs(r.left() - natural.left());
                const int cost = rank * side_penalty + along + 2 * out;
                if (cost < best_cost) {
                    best_cost = cost;
                    best = make_placement(side, r, character, screen);
                }
            }
        }
    }
    return best;
}

}  // namespace pw::agent::ui
