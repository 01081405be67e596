#include "engine/full_frame.h"

#include "analysis/decoded_picture.h"
#include "analysis/video_decoder.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <QTransform>

#include <cstring>

namespace tandemo {

QImage decodeFullFrame(const RegularFile& file, double seconds, bool mirrored,
                       const std::atomic_bool& cancelled)
{
    VideoDecoder decoder(file, cancelled, VideoDecoder::Detail::Full);
    if (!decoder.isOpen())
        return {};
    const LibavFrame showing = DecodedPicture::frameShowingAt(decoder, seconds, cancelled);
    if (!showing)
        return {};
    QImage image(showing->width, showing->height, QImage::Format_RGB888);
    const int stride = int(image.bytesPerLine());
    const std::vector<std::uint8_t> rgb = convertToRgb(*showing, stride);
    if (image.isNull() || rgb.empty())
        return {};
    std::memcpy(image.bits(), rgb.data(), rgb.size());
    if (const int rotation = decoder.rotation(); rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    return mirrored ? image.mirrored(true, false) : image;
}

} // namespace tandemo
