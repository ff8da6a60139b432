#include "platform/desktop/global_key_source.h"

#include "platform/desktop/window_key_source.h"
#include "platform/desktop/x11_key_source.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// After the Qt headers: Xlib's macros would clash with them.
#include <X11/Xlib.h>

namespace pw::platform {

namespace {

// The display Qt itself talks to, so that both connections reach the same server.
QByteArray qt_display_name()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display()) return {};
    return QByteArray(DisplayString(x11->display()));
}

}  // namespace

std::unique_ptr<pw::platform::KeySource> make_global_key_source()
{
    QString why_not;
    if (!qGuiApp) {
        why_not = QStringLiteral("no graphical application");
    } else if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        why_not = QStringLiteral("the \"%1\" platform is not X11")
                      .arg(QGuiApplication::platformName());
    } else if (auto x11 = X11KeySource::open(qt_display_name(), &why_not)) {
        return x11;
    }
    static bool said = false;
    if (!said) {
        said = true;
        qInfo("Key waits hear only keys typed into Pellworks windows: %s.", qPrintable(why_not));
    }
    return std::make_unique<WindowKeySource>();
}

}  // namespace pw::platform
