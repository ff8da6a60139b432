#pragma once
// Where a balloon goes: above the character when there is room, else below, else
// beside it; always fully on the screen, with its tail pointing at the character.

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

// gap: the room left between balloon and character for the tail.
BalloonPlacement place_balloon(QSize body, int gap, const QRect& character, const QRect& screen);

}  // namespace pw::agent::ui
