#include "engine/full_frame.h"

#include "analysis/decoded_picture.h"

#include <QTransform>

#include <cstring>

namespace tandemo {

QImage decodeFullFrame(const RegularFile& file, double seconds, bool mirrored,
                       const std::atomic_bool& cancelled, const QString& filter,
                       const QString& toneMap)
{
    const std::optional<DecodedPicture> decoded =
        DecodedPicture::read(file, seconds, cancelled, filter, toneMap);
    if (!decoded)
        return {};
    const QSize size = decoded->storedSize();
    QImage image(size, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    // QImage pads its rows to four bytes; the decoded rows are packed.
    const qsizetype row = qsizetype(size.width()) * 3;
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), decoded->rgb().data() + y * row, row);
    if (const int rotation = decoded->rotation(); rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    return mirrored ? image.mirrored(true, false) : image;
}

} // namespace tandemo
