#include "playback/shown_picture_save.h"

#include "platform/file_names.h"
#include "platform/pictures_folder.h"
#include "playback/picture_save.h"
#include "playback/transport_bar.h"
#include "session/saved_frames.h"

namespace tandemo {

ShownPictureSave::ShownPictureSave(TransportBar& bar)
    : m_bar(bar)
    , m_save(
          WorkLength::Short, [](double) {},
          [this](std::optional<bool> saved) {
              m_bar.setStatus(saved.value_or(false) ? tr("Saved %1").arg(printableName(m_saving))
                                                    : tr("Cannot save the picture"));
          })
{
}

void ShownPictureSave::save(const QImage& picture, const QString& file, double seconds,
                            const QString& kind)
{
    const QString folder = picturesFolder();
    const QString path =
        folder.isEmpty() ? QString() : savedFramePath(folder, file, seconds, {}, kind);
    if (m_save.isRunning()) {
        m_bar.setStatus(tr("Still saving the last picture"));
        return;
    }
    if (path.isEmpty()) {
        m_bar.setStatus(tr("Cannot save the picture"));
        return;
    }
    m_saving = path;
    m_save.start([picture, path](const std::atomic_bool&, const auto&) {
        return std::optional<bool>(savePicture(picture, path));
    });
}

} // namespace tandemo
