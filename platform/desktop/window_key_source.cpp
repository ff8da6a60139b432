#include "platform/desktop/window_key_source.h"

#include "platform/desktop/key_codes.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace pw::platform {

WindowKeySource::WindowKeySource() = default;

WindowKeySource::~WindowKeySource() { remove(); }

void WindowKeySource::install(Handler handler)
{
    handler_ = std::move(handler);
    if (installed_ || !QCoreApplication::instance()) return;
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
}

void WindowKeySource::remove()
{
    if (!installed_) return;
    installed_ = false;
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowKeySource::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    // A key reaches its top-level window first and is then passed to widget after
    // widget; counting it at the window counts it once.
    if (!installed_ || !watched->isWindowType()) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    // A held key repeats its press; global keys from X report it once, and so do we.
    if (key->isAutoRepeat()) return false;

    pw::platform::KeyEvent e;
    e.vk = vk_from_key_event(*key);
    e.down = type == QEvent::KeyPress;
    e.extended = is_extended_keysym(key->nativeVirtualKey());
    e.scan = key->nativeScanCode() > 8 ? int(key->nativeScanCode()) - 8 : 0;
    e.time = quint32(key->timestamp());
    const Handler handler = handler_;  // the handler may remove or replace itself
    handler(e);
    return false;
}

}  // namespace pw::platform
