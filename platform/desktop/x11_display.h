#pragma once
// Whether the X server named by DISPLAY answers, asked before the toolkit starts (the
// toolkit aborts the process when it cannot connect).

namespace pw::platform {

bool x11_display_reachable();

}  // namespace pw::platform
