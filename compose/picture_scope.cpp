#include "compose/picture_scope.h"

#include "analysis/picture_filter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <QCoreApplication>

#include <cstring>

namespace tandemo {

QString nameOf(ScopeKind kind)
{
    static const char* const names[] = {"Waveform", "RGB Parade", "Vectorscope", "Histogram",
                                        "RGB Histogram"};
    return QCoreApplication::translate("tandemo::ScopePanel", names[int(kind)]);
}

QString scopeFilter(ScopeKind kind)
{
    switch (kind) {
    case ScopeKind::Waveform:
        return QStringLiteral("waveform=components=1:intensity=0.1:graticule=green:flags=numbers,"
                              "format=rgb24");
    case ScopeKind::WaveformRgb:
        return QStringLiteral("format=gbrp,waveform=components=7:display=parade:intensity=0.1:"
                              "graticule=green:flags=numbers,format=rgb24");
    case ScopeKind::Vectorscope:
        return QStringLiteral("vectorscope=mode=color3:graticule=color:flags=name,format=rgb24");
    case ScopeKind::Histogram:
        return QStringLiteral("histogram=components=1,format=rgb24");
    case ScopeKind::HistogramRgb:
        return QStringLiteral("format=gbrp,histogram=components=7:display_mode=overlay,"
                              "format=rgb24");
    }
    return {};
}

namespace {

/// A picture through a scope's chain, drawn.
std::optional<ScopePicture> drawThrough(const QString& chain, AVFrame& picture)
{
    // A chain of its own for each picture: a scope is drawn from one frame alone.
    QString refused;
    const std::unique_ptr<PictureFilter> filter = PictureFilter::make(
        chain, {picture.width, picture.height, picture.format, 1, 1}, 1, 25, &refused);
    if (!filter)
        return std::nullopt;
    picture.pts = 0;
    const AVFrame* out = filter->push(&picture) && filter->push(nullptr) ? filter->pull() : nullptr;
    if (!out || out->format != AV_PIX_FMT_RGB24)
        return std::nullopt;
    ScopePicture scope{out->width, out->height,
                       std::vector<std::uint8_t>(std::size_t(out->width) * out->height * 3)};
    for (int row = 0; row < out->height; ++row)
        std::memcpy(scope.rgb.data() + std::size_t(row) * out->width * 3,
                    out->data[0] + std::ptrdiff_t(row) * out->linesize[0],
                    std::size_t(out->width) * 3);
    return scope;
}

} // namespace

std::optional<ScopePicture> drawScope(const AVFrame& picture, ScopeKind kind)
{
    const LibavFrame in(av_frame_clone(&picture));
    return in ? drawThrough(scopeFilter(kind), *in) : std::nullopt;
}

std::optional<ScopePicture> drawScope(const QImage& shown, ScopeKind kind, bool hd, int width)
{
    if (shown.isNull() || width < 2)
        return std::nullopt;
    const QImage reduced =
        (shown.width() > width ? shown.scaledToWidth(width, Qt::SmoothTransformation) : shown)
            .convertToFormat(QImage::Format_RGB888);
    const LibavFrame frame = newPicture(reduced.width(), reduced.height(), AV_PIX_FMT_RGB24);
    if (!frame)
        return std::nullopt;
    // The scaler reads whole vectors, into the rows' padding too: nothing there is left unset.
    std::memset(frame->buf[0]->data, 0, frame->buf[0]->size);
    for (int row = 0; row < reduced.height(); ++row)
        std::memcpy(frame->data[0] + std::ptrdiff_t(row) * frame->linesize[0],
                    reduced.constScanLine(row), std::size_t(reduced.width()) * 3);
    // The scopes of luma and chroma read them as the video held them: back to limited-range
    // YUV with the video's own matrix.
    const bool ofRgb = kind == ScopeKind::WaveformRgb || kind == ScopeKind::HistogramRgb;
    return drawThrough(ofRgb ? scopeFilter(kind)
                             : QStringLiteral("scale=out_color_matrix=%1:out_range=tv,"
                                              "format=yuv444p,%2")
                                   .arg(hd ? "bt709" : "bt601", scopeFilter(kind)),
                       *frame);
}

} // namespace tandemo
