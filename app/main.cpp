#include "app/application_identity.h"
#include "platform/platform_components.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tandemo::applyApplicationIdentity();

    tandemo::PlatformComponents components;
    tandemo::Form1 window(components);
    window.show();
    return app.exec();
}
