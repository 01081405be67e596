#include "engine/full_frame.h"

#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <QTransform>

#include <memory>

namespace tandemo {

namespace {

// A frame's time may come out a hair off its timestamp.
constexpr double kTolerance = 1e-4;

struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

/// The picture in RGB, converted as ffmpeg's own conversion does it (bicubic, with the colour
/// matrix and range the frame is tagged with).
QImage toRgb(const AVFrame& frame)
{
    const std::unique_ptr<SwsContext, ScalerFreer> scaler(
        sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), frame.width,
                       frame.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    QImage image(frame.width, frame.height, QImage::Format_RGB888);
    if (!scaler || image.isNull())
        return {};
    const int matrix =
        frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame.colorspace);
    const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    // Brightness, contrast and saturation as swscale's defaults leave them (16.16 fixed point).
    sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(matrix), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    std::uint8_t* planes[] = {image.bits()};
    const int strides[] = {int(image.bytesPerLine())};
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
    return image;
}

} // namespace

QImage decodeFullFrame(const RegularFile& file, double seconds, bool mirrored,
                       const std::atomic_bool& cancelled)
{
    VideoDecoder decoder(file, cancelled, VideoDecoder::Detail::Full);
    if (!decoder.isOpen())
        return {};
    decoder.seekTo(seconds);
    // From the key frame before it, the last frame that starts at or before the moment.
    const LibavFrame showing(av_frame_alloc());
    bool found = false;
    while (showing && !cancelled) {
        AVFrame* frame = decoder.next();
        if (!frame || decoder.secondsOf(*frame) > seconds + kTolerance)
            break;
        av_frame_unref(showing.get());
        found = av_frame_ref(showing.get(), frame) >= 0;
    }
    if (!found || cancelled)
        return {};
    QImage image = toRgb(*showing);
    if (const int rotation = decoder.rotation(); rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    return mirrored ? image.mirrored(true, false) : image;
}

} // namespace tandemo
