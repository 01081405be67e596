#include "window/start_up.h"

#include "fs/file_helpers.h"
#include "platform/application_object.h"
#include "platform/failure.h"
#include "platform/picture_loader.h"
#include "platform/platform_services.h"
#include "platform/random_source.h"
#include "platform/web_launcher.h"
#include "playback/media_player.h"
#include "resources/version.h"
#include "window/application_icon.h"
#include "window/apply_skin.h"
#include "window/error_report.h"
#include "window/error_trap.h"
#include "window/form1.h"

#include <QPixmap>

namespace tandemo {

namespace {
constexpr qsizetype kLongestTitle = 40;
} // namespace

QString appTitleFrom(const QString& caption)
{
    QString title = caption;
    do {
        // A text without a blank cannot be cut: asking for a negative length fails.
        const qsizetype lastBlank = title.lastIndexOf(u' ');
        if (lastBlank < 0)
            throw Failure(failure_text::kInvalidCall);
        title = title.left(lastBlank);
    } while (title.size() > kLongestTitle);
    return title;
}

void SetAppTitle(PlatformServices& platform)
{
    platform.application.setTitle(appTitleFrom(QString::fromLatin1(kCaption)));
}

void RandomHomePageVisit(PlatformServices& platform)
{
    platform.random.seedFromTimer();
    const int draw = static_cast<int>(platform.random.nextUniform() * 100) + 1;
    if (draw == kHomePageDraw)
        platform.web.openMinimised(QString::fromLatin1(version::kHomePage));
}

void Form_Load(Form1& form, PlatformServices& platform)
{
    ErrorTrap trap(platform.messageBox, error_location::kFormLoad);
    const auto cursorPath = [&] {
        return platform.application.folder() + QLatin1String(kCursorFile);
    };

    trap.step(102, [&] { ApplySkin(form, platform); });
    trap.step(104, [&] { form.setWindowTitle(QString::fromLatin1(kCaption)); });
    trap.step(104, [&] { form.setWindowIcon(applicationIcon()); });
    trap.step(104, [&] { SetAppTitle(platform); });
    if (trap.test(106, [&] { return FileExists(platform.fileSystem, cursorPath()); })) {
        trap.step(108, [&] {
            const Picture picture = platform.pictures.LoadPicture(cursorPath());
            form.setMouseIcon(QCursor(QPixmap::fromImage(picture.image), picture.hotSpot.x(),
                                      picture.hotSpot.y()));
        });
    }
    trap.step(110, [&] { RandomHomePageVisit(platform); });
    trap.step(128, [&] { form.MediaPlayer1()->settings().setMode(QStringLiteral("loop"), true); });
    trap.step(130, [&] { form.MediaPlayer2()->settings().setMode(QStringLiteral("loop"), true); });
}

} // namespace tandemo
