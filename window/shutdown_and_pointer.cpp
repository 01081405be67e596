#include "window/shutdown_and_pointer.h"

#include "platform/platform_services.h"
#include "platform/process_control.h"
#include "window/form1.h"

namespace tandemo {

void Form_Unload(PlatformServices& platform)
{
    platform.process.endProcess();
}

void Form_MouseMove(Form1& form)
{
    if (form.mousePointer() != Form1::BusyPointer)
        form.setMousePointer(Form1::DefaultPointer);
}

} // namespace tandemo
