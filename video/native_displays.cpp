#include "video/native_displays.h"

#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>

namespace tandemo {

NativeDisplays nativeDisplays()
{
    NativeDisplays displays;
    const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        displays.x11 = x11->display();
#endif
    // Qt 6.4 offers the Wayland display only through its platform plugin's own interface.
    if (platform.startsWith(QLatin1String("wayland"))) {
        if (QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface())
            displays.wayland = native->nativeResourceForIntegration("wl_display");
    }
    return displays;
}

} // namespace tandemo
