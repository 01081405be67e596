#include "compose/picture_scope.h"

#include "analysis/picture_filter.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
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
    // A graph of its own for each picture: a scope is drawn from one frame alone.
    const LibavGraph graph(avfilter_graph_alloc());
    if (!graph)
        return std::nullopt;
    graph->nb_threads = 1;
    const QByteArray args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=1/25:"
                                           "pixel_aspect=1/1")
                                .arg(picture.width)
                                .arg(picture.height)
                                .arg(picture.format)
                                .toLatin1();
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    if (avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in",
                                     args.constData(), nullptr, graph.get()) < 0 ||
        avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                     nullptr, graph.get()) < 0 ||
        !parseGraph(graph.get(), scopeFilter(kind).toLatin1(), {{"in", source}}, {{"out", sink}}) ||
        avfilter_graph_config(graph.get(), nullptr) < 0)
        return std::nullopt;
    const LibavFrame in(av_frame_clone(&picture));
    const LibavFrame out(av_frame_alloc());
    if (!in || !out)
        return std::nullopt;
    in->pts = 0;
    if (av_buffersrc_add_frame(source, in.get()) < 0 ||
        av_buffersrc_add_frame(source, nullptr) < 0 ||
        av_buffersink_get_frame(sink, out.get()) < 0 || out->format != AV_PIX_FMT_RGB24)
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
