#pragma once
// The balloon's font from a character's balloon settings.

#include "agent/acs/character_data.h"

#include <QFont>

namespace pw::agent::ui {

// The named face when it is installed, else a friendly sans face. The height is a
// Windows LOGFONT height: negative is the character height in pixels, positive the
// cell height (character height plus internal leading), 0 the default.
QFont balloon_font(const acs::BalloonInfo& style);

}  // namespace pw::agent::ui
