#pragma once
// Turns a frame of a character into a picture: images composed last-to-first over the
// transparent colour, then the mouth overlay of the wanted shape, if any.

#include "agent/acs/character_data.h"

#include <QImage>
#include <optional>

namespace pw::acs {

// An ARGB32_Premultiplied image of the character's frame size; transparent pixels
// have alpha 0, all others are opaque. A null image for a frame of size 0 or one
// larger than 4096 x 4096 pixels (only damaged files claim such sizes).
QImage render_frame(const CharacterData& data, const Frame& frame,
                    std::optional<Mouth> mouth = std::nullopt);

// The shape overlay to use for a frame and a wanted mouth shape: the exact shape, or
// else the nearest available one; nullptr when the frame has no overlays.
const MouthOverlay* pick_overlay(const Frame& frame, Mouth wanted);

}  // namespace pw::acs
