#include "platform/qt_picture_loader.h"

#include "platform/cursor_file.h"
#include "platform/failure.h"
#include "platform/small_file.h"

#include <QBuffer>
#include <QImageReader>

namespace tandemo {

namespace {
// A picture used as a pointer is small; these bounds keep a damaged file from costing much.
constexpr qint64 kLargestFile = 8 * 1024 * 1024;
constexpr int kLargestSide = 1024;
} // namespace

Picture QtPictureLoader::LoadPicture(const QString& path)
{
    const QByteArray bytes =
        readSmallFile(path, kLargestFile, QString::fromLatin1(failure_text::kInvalidPicture));

    return decodePicture(bytes);
}

Picture QtPictureLoader::decodePicture(const QByteArray& bytes)
{
    // Qt draws what it can of a cut-off icon; a cut-off file is no picture here.
    if (!iconImagesAreComplete(bytes))
        throw Failure(failure_text::kInvalidPicture);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const std::optional<QPoint> hotSpot = cursorHotSpot(bytes);
    if (hotSpot)
        reader.setFormat("ico");
    const QSize declared = reader.size();
    if (declared.isValid() && (declared.width() > kLargestSide || declared.height() > kLargestSide))
        throw Failure(failure_text::kInvalidPicture);

    QImage image = reader.read();
    if (image.isNull() || image.width() > kLargestSide || image.height() > kLargestSide)
        throw Failure(failure_text::kInvalidPicture);

    Picture picture;
    picture.hotSpot = hotSpot ? *hotSpot : QPoint(image.width() / 2, image.height() / 2);
    picture.hotSpot.setX(qBound(0, picture.hotSpot.x(), image.width() - 1));
    picture.hotSpot.setY(qBound(0, picture.hotSpot.y(), image.height() - 1));
    picture.image = std::move(image);
    return picture;
}

} // namespace tandemo
