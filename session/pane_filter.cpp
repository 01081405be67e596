#include "session/pane_filter.h"

#include "analysis/black_bars.h"
#include "analysis/video_decoder.h"
#include "platform/file_names.h"

namespace tandemo {

PaneFilter::PaneFilter(PlaybackEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_search(
          WorkLength::Short, [](double) {},
          [this](std::optional<QString> crop) {
              if (!crop)
                  emit refused(tr("The black bars cannot be found in this video"));
              else if (crop->isEmpty())
                  emit refused(tr("This video has no black bars"));
              else
                  set(*crop);
          })
{
}

bool PaneFilter::set(const QString& chain)
{
    const QString trimmed = chain.trimmed();
    if (const QString why = filterProblem(m_engine.openedFile(), trimmed); !why.isEmpty()) {
        emit refused(tr("Filter refused: %1").arg(why));
        return false;
    }
    m_engine.setPictureFilter(trimmed);
    emit changed(trimmed);
    return true;
}

void PaneFilter::cropBlackBars()
{
    const QString file = m_engine.file();
    if (file.isEmpty())
        return;
    auto opened = std::make_shared<RegularFile>(m_engine.openedFile());
    const QString name = opened->isOpen() ? decodeFileName(opened->heldName()) : file;
    m_search.start(
        [name, opened](const std::atomic_bool& cancelled, const std::function<void(double)>&) {
            return blackBarsCrop(name, cancelled);
        });
}

} // namespace tandemo
