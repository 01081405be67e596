#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

namespace tandemo {

/// An image loaded from a file, with the hot spot it has when used as a mouse pointer.
struct Picture {
    QImage image;
    QPoint hotSpot;
};

/// Loads pictures (cursors, icons and the common image formats) from files.
class PictureLoader {
public:
    virtual ~PictureLoader() = default;

    /// Throws Failure when the file is missing, unreadable or not a picture.
    virtual Picture LoadPicture(const QString& path) = 0;
};

} // namespace tandemo
