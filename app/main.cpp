#include "app/application_identity.h"
#include "app/form1_events.h"
#include "app/start_up.h"
#include "platform/desktop_services.h"
#include "platform/mpv/render_path.h"
#include "platform/platform_components.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    tandemo::skipGlWithoutGpu();
    QApplication app(argc, argv);
    tandemo::applyApplicationIdentity();

    tandemo::DesktopServices desktop;
    tandemo::PlatformComponents components;
    tandemo::Form1 window(components);
    desktop.setMainWindow(&window);
    tandemo::connectEventHandlers(window, desktop.services());

    tandemo::Form_Load(window, desktop.services());
    window.show();
    return app.exec();
}
