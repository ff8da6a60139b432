#pragma once
// Turns a frame of a character into a picture: images composed last-to-first over the
// transparent colour, then the mouth overlay of the wanted shape, if any.

#include "agent/acs/character_data.h"

#include <QImage>
#include <optional>

namespace pw::acs {

// An Indexed8 image of the character's frame size, its colour table the character's
// palette made opaque, with the transparent index see-through (0). A character's
// pictures are palette pictures, so their frames stay 8 bits a pixel: a quarter of the
// memory of 32-bit ones, and characters keep every frame they have shown. A null image
// for a frame of size 0 or one larger than 4096 x 4096 pixels (only damaged files
// claim such sizes).
QImage compose_frame(const CharacterData& data, const Frame& frame,
                     std::optional<Mouth> mouth = std::nullopt);

// The same frame as an ARGB32_Premultiplied image: transparent pixels have alpha 0,
// all others are opaque.
QImage render_frame(const CharacterData& data, const Frame& frame,
                    std::optional<Mouth> mouth = std::nullopt);

// The shape overlay to use for a frame and a wanted mouth shape: the exact shape, or
// else the nearest available one; nullptr when the frame has no overlays.
const MouthOverlay* pick_overlay(const Frame& frame, Mouth wanted);

}  // namespace pw::acs
