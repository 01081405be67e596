// libFuzzer entry point for reading a pointer picture: the cursor header and the image decode
// behind it, with the loader's size bounds. Any bytes must give a bounded picture or a Failure.
#include "platform/cursor_file.h"
#include "platform/failure.h"
#include "platform/qt_picture_loader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)tandemo::cursorHotSpot(bytes);
    try {
        const tandemo::Picture picture = tandemo::QtPictureLoader::decodePicture(bytes);
        if (picture.image.isNull() || !picture.image.rect().contains(picture.hotSpot))
            std::abort();
    } catch (const tandemo::Failure&) {
    }
    return 0;
}
