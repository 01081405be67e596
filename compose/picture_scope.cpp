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

std::optional<ScopePicture> drawScope(const AVFrame& picture, ScopeKind kind)
{
    // A chain of its own for each picture: a scope is drawn from one frame alone.
    QString refused;
    const std::unique_ptr<PictureFilter> filter = PictureFilter::make(
        scopeFilter(kind), {picture.width, picture.height, picture.format, 1, 1}, 1, 25, &refused);
    const LibavFrame in(av_frame_clone(&picture));
    if (!filter || !in)
        return std::nullopt;
    in->pts = 0;
    const AVFrame* out = filter->push(in.get()) && filter->push(nullptr) ? filter->pull() : nullptr;
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

} // namespace tandemo
