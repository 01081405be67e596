#pragma once

#include "platform/picture_loader.h"

namespace tandemo {

/// Loads pictures with Qt's image readers; Windows cursor files keep the hot spot written in
/// their header.
class QtPictureLoader : public PictureLoader {
public:
    Picture LoadPicture(const QString& path) override;

    /// Decodes a picture from the bytes of a file. Throws Failure for what is not a picture.
    static Picture decodePicture(const QByteArray& bytes);
};

} // namespace tandemo
