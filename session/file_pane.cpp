#include "session/file_pane.h"

namespace tandemo {

FilePane::FilePane(const QString& file, QObject* parent)
    : PlaybackEngine(parent)
    , m_file(file)
{
}

} // namespace tandemo
