#include "app/application_identity.h"
#include "app/desktop_services.h"
#include "app/platform_components.h"
#include "playback/render_path.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/start_up.h"

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
