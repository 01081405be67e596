#include "analysis/frame_pair_filters.h"

#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <QByteArray>
#include <QString>

#include <cmath>

namespace tandemo {

namespace {

bool addSource(AVFilterGraph* graph, const VideoDecoder& decoder, const char* name,
               AVFilterContext** source)
{
    const AVRational base = decoder.stream().time_base;
    const QByteArray args = bufferSourceArgs(decoder.shape(), base.num, base.den);
    return avfilter_graph_create_filter(source, avfilter_get_by_name("buffer"), name,
                                        args.constData(), nullptr, graph) >= 0;
}

bool push(AVFilterContext* source, AVFrame* frame, double seconds, double tick)
{
    if (frame)
        frame->pts = std::llround(seconds / tick);
    return av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
}

} // namespace

namespace {

/// The pixel format both pictures are compared in: the first's, unless it is RGB (a PNG, say)
/// and the second's is not, when the first is turned into the second's, as ffmpeg's own
/// negotiation does.
AVPixelFormat comparedFormat(int first, int second)
{
    const auto isRgb = [](int format) {
        const AVPixFmtDescriptor* described = av_pix_fmt_desc_get(AVPixelFormat(format));
        return described && (described->flags & AV_PIX_FMT_FLAG_RGB);
    };
    return AVPixelFormat(isRgb(first) && !isRgb(second) ? second : first);
}

} // namespace

FramePairFilters::FramePairFilters()
    : m_graph(avfilter_graph_alloc())
{
}

FramePairFilters::~FramePairFilters() = default;

bool FramePairFilters::build(const VideoDecoder& a, bool firstMirrored, const VideoDecoder& b,
                             bool secondMirrored)
{
    AVFilterGraph* graph = m_graph.get();
    if (!graph || !addSource(graph, a, "first", &m_first) ||
        !addSource(graph, b, "second", &m_second) ||
        avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                     nullptr, graph) < 0)
        return false;
    m_firstTick = av_q2d(a.stream().time_base);
    m_secondTick = av_q2d(b.stream().time_base);
    const PictureShape shape = a.shape();
    const char* format = av_get_pix_fmt_name(comparedFormat(shape.format, b.shape().format));
    if (!format)
        return false;
    // Both as shown: upright, and mirrored where the pane mirrors them; the second then at
    // the first's size as shown.
    const bool turned = a.rotation() % 180 == 90;
    const int width = turned ? shape.height : shape.width;
    const int height = turned ? shape.width : shape.height;
    const QByteArray description =
        QStringLiteral(
            "[first]%1,format=%5[a];[second]%2,scale=%3:%4,format=%5,split=3[b1][b2][b3];"
            "[a][b1]psnr[p];[p][b2]ssim[s];[s][b3]msad[out]")
            .arg(QLatin1String(shownAsFilters(a.rotation(), firstMirrored)),
                 QLatin1String(shownAsFilters(b.rotation(), secondMirrored)))
            .arg(width)
            .arg(height)
            .arg(QLatin1String(format))
            .toLatin1();
    return parseGraph(graph, description, {{"first", m_first}, {"second", m_second}},
                      {{"out", m_sink}}) &&
           avfilter_graph_config(graph, nullptr) >= 0;
}

bool FramePairFilters::pushFirst(AVFrame* frame, double seconds)
{
    return push(m_first, frame, seconds, m_firstTick);
}

bool FramePairFilters::pushSecond(AVFrame* frame, double seconds)
{
    return push(m_second, frame, seconds, m_secondTick);
}

bool FramePairFilters::takeCompared(AVFrame* out)
{
    return av_buffersink_get_frame(m_sink, out) >= 0;
}

double FramePairFilters::secondsPerTick() const
{
    return av_q2d(av_buffersink_get_time_base(m_sink));
}

} // namespace tandemo
