#pragma once
// Where a balloon goes: above the character when there is room, else below, else
// beside it; always fully on the screen, with its tail pointing at the character, and
// clear of the other balloons on the screen whenever there is room for that.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace pw::agent::ui {

// Where the balloon stands relative to the character.
enum class BalloonSide { Above, Below, Left, Right };

struct BalloonPlacement {
    BalloonSide side = BalloonSide::Above;
    QRect body;  // the balloon without its tail, screen pixels
    QPoint tip;  // where the tail ends, screen pixels

    // The window that holds body and tail.
    QRect window() const;
};

// gap: the room left between balloon and character for the tail. avoid: the other
// balloons showing now; the balloon moves aside (or further out) to keep clear of them.
BalloonPlacement place_balloon(QSize body, int gap, const QRect& character, const QRect& screen,
                               const QList<QRect>& avoid = {});

}  // namespace pw::agent::ui
