#include "analysis/decoded_picture.h"

#include "analysis/picture_filter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace tandemo {

namespace {

/// A component's code value at a pixel of its plane (of 8 bits, or more in two bytes).
int sampleAt(const AVFrame& frame, const AVComponentDescriptor& component, int x, int y)
{
    const std::uint8_t* row =
        frame.data[component.plane] + std::ptrdiff_t(y) * frame.linesize[component.plane];
    const std::uint8_t* at = row + std::ptrdiff_t(x) * component.step + component.offset;
    const int value = component.depth > 8 ? at[0] | at[1] << 8 : at[0];
    return (value >> component.shift) & ((1 << component.depth) - 1);
}

/// The frame converted to a packed format of its own size, with the colour matrix and range it
/// is tagged with.
std::vector<std::uint8_t> convert(const AVFrame& frame, AVPixelFormat format, int flags, int stride)
{
    const LibavScaler scaler(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format),
                                            frame.width, frame.height, format, flags, nullptr,
                                            nullptr, nullptr));
    if (!scaler)
        return {};
    const int matrix =
        frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame.colorspace);
    const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    // Brightness, contrast and saturation as swscale's defaults leave them (16.16 fixed point).
    sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(matrix), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    // swscale writes whole vectors at the end of each row and past the last: it gets a frame
    // of libav's own, with aligned rows and padding, and the rows are copied out of it.
    const LibavFrame scaled = newPicture(frame.width, frame.height, format);
    const int rowBytes = av_image_get_linesize(format, frame.width, 0);
    if (!scaled || rowBytes <= 0 || stride < rowBytes)
        return {};
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, scaled->data,
              scaled->linesize);
    std::vector<std::uint8_t> pixels(std::size_t(stride) * std::size_t(frame.height));
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(pixels.data() + std::size_t(y) * std::size_t(stride),
                    scaled->data[0] + std::ptrdiff_t(y) * scaled->linesize[0],
                    std::size_t(rowBytes));
    return pixels;
}

} // namespace

std::vector<std::uint8_t> convertToRgb(const AVFrame& frame, int stride)
{
    // Bicubic, as ffmpeg's own conversion does it.
    return convert(frame, AV_PIX_FMT_RGB24, SWS_BICUBIC, stride);
}

std::vector<std::uint8_t> convertToRgb32(const AVFrame& frame, int stride)
{
    return convert(frame, AV_PIX_FMT_BGR0, SWS_BILINEAR, stride);
}

LibavFrame DecodedPicture::frameShowingAt(VideoDecoder& decoder, double seconds,
                                          const std::atomic_bool& cancelled)
{
    decoder.seekTo(seconds);
    // From the key frame before it, the last frame that starts at or before the moment.
    LibavFrame showing(av_frame_alloc());
    bool found = false;
    while (showing && !cancelled) {
        AVFrame* frame = decoder.next();
        if (!frame || decoder.secondsOf(*frame) > seconds + kFrameTimeTolerance)
            break;
        av_frame_unref(showing.get());
        found = av_frame_ref(showing.get(), frame) >= 0;
    }
    if (!found || cancelled)
        return {};
    return showing;
}

std::optional<DecodedPicture> DecodedPicture::read(const QString& path, double seconds,
                                                   const std::atomic_bool& cancelled,
                                                   const QString& filter, const QString& toneMap)
{
    VideoDecoder decoder(path, cancelled, VideoDecoder::Detail::Full);
    QString refused;
    if (!decoder.setFilter(filter, &refused))
        return std::nullopt;
    return read(decoder, seconds, cancelled, toneMap);
}

std::optional<DecodedPicture> DecodedPicture::read(const RegularFile& file, double seconds,
                                                   const std::atomic_bool& cancelled,
                                                   const QString& filter, const QString& toneMap)
{
    VideoDecoder decoder(file, cancelled, VideoDecoder::Detail::Full);
    QString refused;
    if (!decoder.setFilter(filter, &refused))
        return std::nullopt;
    return read(decoder, seconds, cancelled, toneMap);
}

std::optional<DecodedPicture> DecodedPicture::read(VideoDecoder& decoder, double seconds,
                                                   const std::atomic_bool& cancelled,
                                                   const QString& toneMap)
{
    if (!decoder.isOpen())
        return std::nullopt;
    DecodedPicture picture;
    picture.m_frame = frameShowingAt(decoder, seconds, cancelled);
    if (!picture.m_frame)
        return std::nullopt;
    picture.m_rotation = decoder.rotation();
    picture.m_seconds = decoder.secondsOf(*picture.m_frame);
    const AVFrame& frame = *picture.m_frame;
    std::unique_ptr<PictureFilter> mapping;
    const AVFrame* shown = &frame;
    if (!toneMap.isEmpty()) {
        QString refused;
        mapping = PictureFilter::make(toneMap, {frame.width, frame.height, frame.format, 1, 1}, 1,
                                      25, &refused);
        const LibavFrame in(av_frame_clone(&frame));
        if (in)
            in->pts = 0;
        shown = mapping && in && mapping->push(in.get()) && mapping->push(nullptr) ? mapping->pull()
                                                                                   : nullptr;
        if (!shown || shown->width != frame.width || shown->height != frame.height)
            return std::nullopt;
    }
    picture.m_rgb = convertToRgb(*shown, 3 * frame.width);
    if (picture.m_rgb.empty())
        return std::nullopt;
    return picture;
}

QSize DecodedPicture::storedSize() const
{
    return {m_frame->width, m_frame->height};
}

QSize DecodedPicture::shownSize() const
{
    return m_rotation % 180 ? storedSize().transposed() : storedSize();
}

std::optional<PixelValues> DecodedPicture::valuesAt(QPointF shown, bool mirrored) const
{
    if (shown.x() < 0 || shown.x() >= 1 || shown.y() < 0 || shown.y() >= 1)
        return std::nullopt;
    const AVFrame& frame = *m_frame;
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    if (!format || format->nb_components < 3)
        return std::nullopt;
    const QSize size = shownSize();
    PixelValues values;
    values.x = std::clamp(int(shown.x() * size.width()), 0, size.width() - 1);
    values.y = std::clamp(int(shown.y() * size.height()), 0, size.height() - 1);
    // Back from the picture as shown to the picture as stored: not mirrored, then turned back.
    const int u = mirrored ? size.width() - 1 - values.x : values.x;
    const int v = values.y;
    int x = u;
    int y = v;
    switch (m_rotation) {
    case 90: // turned clockwise: a stored row is a shown column, from the right
        x = v;
        y = size.width() - 1 - u;
        break;
    case 180:
        x = size.width() - 1 - u;
        y = size.height() - 1 - v;
        break;
    case 270:
        x = size.height() - 1 - v;
        y = u;
        break;
    default:
        break;
    }
    values.bits = format->comp[0].depth;
    values.storedAsRgb = format->flags & AV_PIX_FMT_FLAG_RGB;
    if (!values.storedAsRgb) {
        values.luma = sampleAt(frame, format->comp[0], x, y);
        values.cb = sampleAt(frame, format->comp[1], x >> format->log2_chroma_w,
                             y >> format->log2_chroma_h);
        values.cr = sampleAt(frame, format->comp[2], x >> format->log2_chroma_w,
                             y >> format->log2_chroma_h);
    }
    const std::uint8_t* rgb = m_rgb.data() + (std::size_t(y) * frame.width + x) * 3;
    values.red = rgb[0];
    values.green = rgb[1];
    values.blue = rgb[2];
    return values;
}

} // namespace tandemo
