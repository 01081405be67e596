#include "engine/frame_save.h"

#include <QFile>
#include <QFileInfo>

namespace tandemo {

FrameSave::FrameSave(const QString& destination)
    : m_destination(destination)
    , m_staged(destination.isEmpty() ? QString() : QFileInfo(destination).absolutePath(),
               QStringLiteral("frame.") + QFileInfo(destination).suffix())
{
}

bool FrameSave::finish(bool written)
{
    return written && isWholePng(m_staged.path()) && m_staged.placeAs(m_destination);
}

bool isWholePng(const QString& path)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    // The IEND chunk: no data, then its fixed checksum.
    static const QByteArray end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < signature.size() + end.size())
        return false;
    if (file.read(signature.size()) != signature || !file.seek(file.size() - end.size()))
        return false;
    return file.read(end.size()) == end;
}

} // namespace tandemo
