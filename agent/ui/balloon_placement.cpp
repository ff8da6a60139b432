#include "agent/ui/balloon_placement.h"

#include <algorithm>

namespace pw::agent::ui {

namespace {

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

}  // namespace

QRect BalloonPlacement::window() const
{
    // A little room around the tip for the outline's thickness.
    return body.united(QRect(tip - QPoint(2, 2), QSize(5, 5)));
}

BalloonPlacement place_balloon(QSize body, int gap, const QRect& character, const QRect& screen)
{
    const int cx = character.left() + character.width() / 2;
    const int head_y = character.top() + character.height() / 4;
    const int room_above = character.top() - screen.top();
    const int room_below = screen.top() + screen.height() - (character.top() + character.height());
    const int room_left = character.left() - screen.left();
    const int room_right = screen.left() + screen.width() - (character.left() + character.width());
    const int need_v = body.height() + gap;
    const int need_h = body.width() + gap;

    BalloonPlacement p;
    if (room_above >= need_v)
        p.side = BalloonSide::Above;
    else if (room_below >= need_v)
        p.side = BalloonSide::Below;
    else if (room_right >= need_h)
        p.side = BalloonSide::Right;
    else if (room_left >= need_h)
        p.side = BalloonSide::Left;
    else  // no room anywhere: the roomier of above and below, overlapping the character
        p.side = room_above >= room_below ? BalloonSide::Above : BalloonSide::Below;

    QRect r(QPoint(0, 0), body);
    switch (p.side) {
    case BalloonSide::Above:
        r.moveTopLeft(QPoint(cx - body.width() / 2, character.top() - gap - body.height()));
        p.tip = QPoint(cx, character.top());
        break;
    case BalloonSide::Below:
        r.moveTopLeft(QPoint(cx - body.width() / 2, character.top() + character.height() + gap));
        p.tip = QPoint(cx, character.top() + character.height());
        break;
    case BalloonSide::Right:
        r.moveTopLeft(QPoint(character.left() + character.width() + gap, head_y - body.height() / 2));
        p.tip = QPoint(character.left() + character.width(), head_y);
        break;
    case BalloonSide::Left:
        r.moveTopLeft(QPoint(character.left() - gap - body.width(), head_y - body.height() / 2));
        p.tip = QPoint(character.left(), head_y);
        break;
    }
    p.body = clamp_into(r, screen);
    // The window holds a little room around the tip (see window()), so keep that on
    // the screen too.
    p.tip = clamp_point(p.tip, screen.adjusted(2, 2, -2, -2));
    return p;
}

}  // namespace pw::agent::ui
