#pragma once
// A small character that uses every feature of the file format, for round trips,
// damage tests and the fuzz corpus. The same seed always gives the same character.

#include "agent/acs/character_data.h"

#include <QByteArray>

namespace pw::acs::testing {

CharacterData synthetic_character(quint32 seed = 1);

// A picture of the given size: a filled ellipse of `color` on the transparent index,
// with a little noise so that it does not compress to nothing.
Image blob_image(int width, int height, uint8_t color, uint8_t transparent, quint32 seed);

}  // namespace pw::acs::testing
