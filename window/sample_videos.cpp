#include "window/sample_videos.h"

#include "fs/checked_count.h"
#include "fs/file_helpers.h"
#include "platform/application_object.h"
#include "platform/platform_services.h"
#include "playback/media_player.h"
#include "window/error_report.h"
#include "window/error_trap.h"
#include "window/form1.h"

#include <optional>

namespace tandemo {

void Sample_Click(Form1& form, PlatformServices& platform)
{
    ErrorTrap trap(platform.messageBox, error_location::kSampleClick);
    auto samplePath = [&](const QString& name) {
        return platform.application.folder() + QLatin1String(kSamplesFolder) + kPathSeparator +
               name;
    };

    std::optional<FileList> samples;
    trap.step(100, [&] {
        samples = ListFiles(platform.fileSystem,
                            platform.application.folder() + QLatin1String(kSamplesFolder),
                            QStringLiteral("*.*"));
    });
    // Without a list there is nothing to walk: the failure has been reported.
    if (!samples)
        return;

    std::int32_t last = 0;
    if (!trap.step(102, [&] { last = samples->upperIndex(); }))
        return;
    for (std::int32_t i = 1; i <= last;) {
        if (trap.test(104, [&] { return i == 1; })) {
            trap.step(106, [&] { form.MediaPlayer1()->setURL(samplePath(samples->at(i))); });
        } else if (trap.test(108, [&] { return i == 2; })) {
            trap.step(110, [&] { form.MediaPlayer2()->setURL(samplePath(samples->at(i))); });
        }
        // Stepping past the largest index ends the loop instead of wrapping round.
        if (!trap.step(110, [&] { i = checkedAdd(i, 1); }))
            break;
    }
}

} // namespace tandemo
