#include "playback/picture_save.h"

#include "platform/staged_file.h"

#include <QFileInfo>

namespace tandemo {

bool savePicture(const QImage& picture, const QString& destination)
{
    const QFileInfo place(destination);
    StagedFile staged(place.absolutePath(), place.fileName());
    return staged.isValid() && !picture.isNull() && picture.save(staged.path(), "PNG") &&
           staged.placeAs(destination);
}

} // namespace tandemo
