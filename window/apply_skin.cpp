#include "window/apply_skin.h"

#include "platform/application_object.h"
#include "platform/file_system.h"
#include "platform/platform_services.h"
#include "skin/skin_framework.h"
#include "window/form1.h"
#include "window/system_colours.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace tandemo {

namespace {

constexpr OleColour kButtonFace = OleColour::fromSystem(SystemColour::ButtonFace);

// The "BackColor" of a control, set by name as for any control that has one.
void setBackColor(QWidget& control, OleColour colour)
{
    control.setProperty("BackColor", QVariant::fromValue(colour.value()));
    applyBackColour(control, colour);
}

} // namespace

bool takesSkinBackColour(const QWidget& control)
{
    return qobject_cast<const QRadioButton*>(&control) ||
           qobject_cast<const QCheckBox*>(&control) || qobject_cast<const QGroupBox*>(&control) ||
           qobject_cast<const QLabel*>(&control);
}

void ApplySkin(Form1& form, PlatformServices& platform)
{
    // A search for normal files only: a hidden or system skin file counts as absent. Names are
    // matched without regard to case, and the skin is loaded by the name the search found.
    const QString folder = platform.application.folder() + QLatin1String(kSkinFolder);
    const QStringList found =
        platform.fileSystem.listFiles(folder, QLatin1String(kSkinFileName), false);
    if (found.isEmpty())
        return;
    const QString skinFile = folder + u'/' + found.constFirst();

    form.setBackColour(kButtonFace);
    for (QWidget* control : form.Controls()) {
        if (takesSkinBackColour(*control))
            setBackColor(*control, kButtonFace);
    }

    SkinFramework& skin = *form.SkinFramework1();
    skin.call(skin_dispatch::kLoadSkin, {skinFile, QString()});
    const std::int32_t options = skin.getProperty(skin_dispatch::kOptions).value<std::int32_t>();
    skin.putProperty(skin_dispatch::kOptions,
                     QVariant::fromValue<std::int32_t>(options | skin_option::kSkinChildControls));
    skin.putProperty(skin_dispatch::kSkinDialogs, true);
    skin.putProperty(skin_dispatch::kSkinMenus, true);
    skin.call(skin_dispatch::kApplyWindow, {QVariant::fromValue<qulonglong>(form.winId())});
}

} // namespace tandemo
