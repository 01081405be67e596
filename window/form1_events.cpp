#include "window/form1_events.h"

#include "window/form1.h"
#include "window/pane_layout.h"
#include "window/sample_videos.h"
#include "window/shutdown_and_pointer.h"
#include "window/video_selection.h"

#include <QAction>

namespace tandemo {

void connectEventHandlers(Form1& form, PlatformServices& platform)
{
    QObject::connect(form.Select1(), &QAction::triggered, &form,
                     [&form, &platform] { Select1_Click(form, platform); });
    QObject::connect(form.Select2(), &QAction::triggered, &form,
                     [&form, &platform] { Select2_Click(form, platform); });
    QObject::connect(form.Sample(), &QAction::triggered, &form,
                     [&form, &platform] { Sample_Click(form, platform); });
    QObject::connect(&form, &Form1::resized, &form, [&form] { Form_Resize(form); });
    QObject::connect(&form, &Form1::clientMouseMoved, &form, [&form] { Form_MouseMove(form); });
    QObject::connect(&form, &Form1::unloading, &form, [&platform] { Form_Unload(platform); });
}

} // namespace tandemo
