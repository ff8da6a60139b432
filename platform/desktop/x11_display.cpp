#include "platform/desktop/x11_display.h"

#include <X11/Xlib.h>

namespace pw::platform {

bool x11_display_reachable()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
}

}  // namespace pw::platform
