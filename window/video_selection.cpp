#include "window/video_selection.h"

#include "platform/common_dialog.h"
#include "platform/platform_services.h"
#include "playback/media_player.h"
#include "window/error_report.h"
#include "window/error_trap.h"
#include "window/form1.h"

namespace tandemo {

namespace {

const QString kDialogTitle = QStringLiteral("Select Video");
const QString kVideoFilter =
    QStringLiteral("All Supported Video (*.mpg;*.mpeg;*.avi;*.wmv)|*.mpg;*.mpeg;*.avi;*.wmv");

// Asks for a video with the open dialog and gives it to the player. Neither the file's
// existence nor its type is checked: the player deals with whatever the user chose.
void chooseVideoFor(MediaPlayer& player, CommonDialog& dialog, ErrorTrap& trap)
{
    trap.step(100, [&] { dialog.setFileName(QString()); });
    trap.step(102, [&] { dialog.setDialogTitle(kDialogTitle); });
    trap.step(104, [&] { dialog.setFilter(kVideoFilter); });
    trap.step(106, [&] { dialog.ShowOpen(); });
    if (trap.test(108, [&] { return dialog.FileName().isEmpty(); }))
        return;
    QString path;
    trap.step(110, [&] { path = dialog.FileName(); });
    trap.step(116, [&] { player.setURL(path); });
}

} // namespace

void Select1_Click(Form1& form, PlatformServices& platform)
{
    ErrorTrap trap(platform.messageBox, error_location::kSelect1Click);
    chooseVideoFor(*form.MediaPlayer1(), *form.CommonDialog1(), trap);
}

void Select2_Click(Form1& form, PlatformServices& platform)
{
    ErrorTrap trap(platform.messageBox, error_location::kSelect2Click);
    chooseVideoFor(*form.MediaPlayer2(), *form.CommonDialog1(), trap);
}

} // namespace tandemo
