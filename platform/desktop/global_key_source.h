#pragma once
// The key source for key waits on this desktop: global keys from the X server when Qt
// runs on X11 (XWayland included) and the server has XInput 2; otherwise the keys typed
// into this program's own windows, which is said once on the log.

#include "platform/core/key_source.h"

#include <memory>

namespace pw::platform {

// Needs the QGuiApplication (or QApplication) to exist.
std::unique_ptr<pw::platform::KeySource> make_global_key_source();

}  // namespace pw::platform
