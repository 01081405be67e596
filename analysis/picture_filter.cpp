#include "analysis/picture_filter.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

#include <QStringList>

#include <cstdarg>
#include <mutex>

namespace tandemo {

namespace {

// The messages of the thread that asked for them; every other message goes where it went.
thread_local QStringList* t_collected = nullptr;

void collectErrors(void* context, int level, const char* format, va_list arguments)
{
    if (t_collected && level <= AV_LOG_ERROR) {
        char line[1024];
        int printPrefix = 0; // the filter's address means nothing to the user
        av_log_format_line2(context, level, format, arguments, line, sizeof line, &printPrefix);
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.isEmpty())
            t_collected->append(text);
        return;
    }
    av_log_default_callback(context, level, format, arguments);
}

/// Parses the chain between a source and a sink of the graph.
bool parseBetween(AVFilterGraph* graph, const QString& chain, AVFilterContext* source,
                  AVFilterContext* sink)
{
    return parseGraph(graph, chain.toUtf8(), {{"in", source}}, {{"out", sink}});
}

QString reasonOr(const QString& collected, const char* fallback)
{
    return collected.isEmpty() ? QString::fromLatin1(fallback) : collected;
}

} // namespace

bool parseGraph(AVFilterGraph* graph, const QByteArray& description,
                const std::vector<LabelledFilter>& sources,
                const std::vector<LabelledFilter>& sinks)
{
    // The ends as libavfilter lists them: each an entry of its own, freed with the list.
    const auto listOf = [](const std::vector<LabelledFilter>& filters) {
        AVFilterInOut* list = nullptr;
        for (auto each = filters.rbegin(); each != filters.rend(); ++each) {
            AVFilterInOut* entry = avfilter_inout_alloc();
            if (!entry)
                break;
            entry->name = av_strdup(each->first);
            entry->filter_ctx = each->second;
            entry->pad_idx = 0;
            entry->next = list;
            list = entry;
        }
        return list;
    };
    AVFilterInOut* outputs = listOf(sources);
    AVFilterInOut* inputs = listOf(sinks);
    const int parsed =
        avfilter_graph_parse_ptr(graph, description.constData(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    return parsed >= 0;
}

QString libavMessagesOf(const std::function<void()>& work)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(collectErrors); });
    QStringList collected;
    QStringList* outer = t_collected;
    t_collected = &collected;
    work();
    t_collected = outer;
    return collected.join(QLatin1String("; "));
}

PictureFilter::~PictureFilter() = default;

QByteArray bufferSourceArgs(const PictureShape& shape, int timeBaseNum, int timeBaseDen)
{
    return QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
        .arg(shape.width)
        .arg(shape.height)
        .arg(shape.format)
        .arg(timeBaseNum)
        .arg(timeBaseDen)
        .arg(shape.aspectNum)
        .arg(shape.aspectDen)
        .toLatin1();
}

std::unique_ptr<PictureFilter> PictureFilter::make(const QString& chain, const PictureShape& input,
                                                   int timeBaseNum, int timeBaseDen, QString* why)
{
    std::unique_ptr<PictureFilter> filter(new PictureFilter);
    filter->m_baseNum = timeBaseNum;
    filter->m_baseDen = timeBaseDen;
    filter->m_graph.reset(avfilter_graph_alloc());
    filter->m_out.reset(av_frame_alloc());
    if (!filter->m_graph || !filter->m_out) {
        *why = QStringLiteral("out of memory");
        return nullptr;
    }
    // One thread: the decoders beside it have the machine's cores.
    filter->m_graph->nb_threads = 1;
    const QByteArray args = bufferSourceArgs(input, timeBaseNum, timeBaseDen);
    bool built = false;
    const QString messages = libavMessagesOf([&] {
        AVFilterGraph* graph = filter->m_graph.get();
        built = avfilter_graph_create_filter(&filter->m_source, avfilter_get_by_name("buffer"),
                                             "in", args.constData(), nullptr, graph) >= 0 &&
                avfilter_graph_create_filter(&filter->m_sink, avfilter_get_by_name("buffersink"),
                                             "out", nullptr, nullptr, graph) >= 0 &&
                parseBetween(graph, chain, filter->m_source, filter->m_sink) &&
                avfilter_graph_config(graph, nullptr) >= 0;
    });
    if (!built) {
        *why = reasonOr(messages, "the filter chain cannot be built");
        return nullptr;
    }
    const AVRational shownAspect = av_buffersink_get_sample_aspect_ratio(filter->m_sink);
    filter->m_shape = {av_buffersink_get_w(filter->m_sink), av_buffersink_get_h(filter->m_sink),
                       av_buffersink_get_format(filter->m_sink),
                       shownAspect.num > 0 ? shownAspect.num : 1,
                       shownAspect.num > 0 ? shownAspect.den : 1};
    return filter;
}

bool PictureFilter::push(AVFrame* frame)
{
    return av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
}

AVFrame* PictureFilter::pull()
{
    av_frame_unref(m_out.get());
    if (av_buffersink_get_frame(m_sink, m_out.get()) < 0)
        return nullptr;
    // Back on the decoder's clock, whatever the chain's own.
    if (m_out->pts != AV_NOPTS_VALUE)
        m_out->pts = av_rescale_q(m_out->pts, av_buffersink_get_time_base(m_sink),
                                  AVRational{m_baseNum, m_baseDen});
    m_out->best_effort_timestamp = m_out->pts;
    return m_out.get();
}

QString filterChainProblem(const QString& chain)
{
    if (chain.trimmed().isEmpty())
        return {};
    const LibavGraph graph(avfilter_graph_alloc());
    bool parsed = false;
    const QString messages = libavMessagesOf([&] {
        AVFilterContext* source = nullptr;
        AVFilterContext* sink = nullptr;
        parsed = graph &&
                 avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in",
                                              "video_size=64x64:pix_fmt=0:time_base=1/25", nullptr,
                                              graph.get()) >= 0 &&
                 avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, graph.get()) >= 0 &&
                 parseBetween(graph.get(), chain, source, sink);
    });
    return parsed ? QString() : reasonOr(messages, "not a filter chain");
}

} // namespace tandemo
