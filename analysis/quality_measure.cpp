#include "analysis/quality_measure.h"

#include "analysis/decode_ahead.h"
#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <limits>

namespace tandemo {

namespace {

struct GraphFreer {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct InOutFreer {
    void operator()(AVFilterInOut* list) const { avfilter_inout_free(&list); }
};

/// The comparing graph: the second input scaled to the first's size and format, then both through
/// psnr and ssim, whose figures ride on the first's frames to the sink.
struct Comparison {
    std::unique_ptr<AVFilterGraph, GraphFreer> graph{avfilter_graph_alloc()};
    AVFilterContext* first = nullptr;
    AVFilterContext* second = nullptr;
    AVFilterContext* sink = nullptr;

    bool build(const VideoDecoder& a, const VideoDecoder& b, Mirrors mirrors)
    {
        if (!graph || !addSource(a, "first", &first) || !addSource(b, "second", &second) ||
            avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                         nullptr, graph.get()) < 0)
            return false;
        const char* format = av_get_pix_fmt_name(a.codec().pix_fmt);
        if (!format)
            return false;
        // Both as shown: upright, and mirrored where the pane mirrors them; the second then at
        // the first's size as shown.
        const bool turned = a.rotation() % 180 == 90;
        const int width = turned ? a.codec().height : a.codec().width;
        const int height = turned ? a.codec().width : a.codec().height;
        const QByteArray description =
            QStringLiteral("[first]%1[a];[second]%2,scale=%3:%4,format=%5,split[b1][b2];"
                           "[a][b1]psnr[p];[p][b2]ssim[out]")
                .arg(QLatin1String(shownAsFilters(a.rotation(), mirrors.first)),
                     QLatin1String(shownAsFilters(b.rotation(), mirrors.second)))
                .arg(width)
                .arg(height)
                .arg(QLatin1String(format))
                .toLatin1();
        AVFilterInOut* outputs = link("first", first, link("second", second, nullptr));
        AVFilterInOut* inputs = link("out", sink, nullptr);
        const int parsed = avfilter_graph_parse_ptr(graph.get(), description.constData(), &inputs,
                                                    &outputs, nullptr);
        InOutFreer()(inputs);
        InOutFreer()(outputs);
        return parsed >= 0 && avfilter_graph_config(graph.get(), nullptr) >= 0;
    }

private:
    bool addSource(const VideoDecoder& decoder, const char* name, AVFilterContext** source)
    {
        const AVCodecContext& codec = decoder.codec();
        const AVRational base = decoder.stream().time_base;
        const AVRational aspect =
            codec.sample_aspect_ratio.num > 0 ? codec.sample_aspect_ratio : AVRational{1, 1};
        const QByteArray args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:"
                                               "pixel_aspect=%6/%7")
                                    .arg(codec.width)
                                    .arg(codec.height)
                                    .arg(int(codec.pix_fmt))
                                    .arg(base.num)
                                    .arg(base.den)
                                    .arg(aspect.num)
                                    .arg(aspect.den)
                                    .toLatin1();
        return avfilter_graph_create_filter(source, avfilter_get_by_name("buffer"), name,
                                            args.constData(), nullptr, graph.get()) >= 0;
    }

    static AVFilterInOut* link(const char* name, AVFilterContext* filter, AVFilterInOut* next)
    {
        AVFilterInOut* entry = avfilter_inout_alloc();
        if (!entry)
            return next;
        entry->name = av_strdup(name);
        entry->filter_ctx = filter;
        entry->pad_idx = 0;
        entry->next = next;
        return entry;
    }
};

double metadataNumber(const AVFrame& frame, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(frame.metadata, key, nullptr, 0);
    return entry ? std::strtod(entry->value, nullptr) : std::numeric_limits<double>::quiet_NaN();
}

/// Pushes a decoded frame into a source at its time on the first video's clock.
bool push(AVFilterContext* source, AVFrame* frame, double seconds, AVRational base)
{
    frame->pts = std::llround(seconds / av_q2d(base));
    return av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
}

} // namespace

std::optional<QList<QualitySample>>
QualityMeasure::measure(const QString& firstPath, const QString& secondPath, double secondAhead,
                        const std::atomic_bool& cancelled,
                        const std::function<void(double)>& progress, Mirrors mirrors, double rate)
{
    if (!(rate > 0))
        return std::nullopt;
    VideoDecoder a(firstPath, cancelled);
    VideoDecoder b(secondPath, cancelled);
    Comparison comparison;
    if (!a.isOpen() || !b.isOpen() || !comparison.build(a, b, mirrors))
        return std::nullopt;
    const LibavFrame out(av_frame_alloc());
    if (!out)
        return std::nullopt;
    const AVRational baseA = a.stream().time_base;
    const AVRational baseB = b.stream().time_base;
    const double duration = a.duration();

    QList<QualitySample> samples;
    qint64 skipped = 0; // the first's frames before the second begins
    qint64 compared = 0;
    const auto collect = [&] {
        while (av_buffersink_get_frame(comparison.sink, out.get()) >= 0) {
            QualitySample sample;
            sample.frame = skipped + compared++;
            sample.seconds =
                double(out->pts) * av_q2d(av_buffersink_get_time_base(comparison.sink));
            sample.psnr = metadataNumber(*out, "lavfi.psnr.psnr_avg");
            sample.ssim = metadataNumber(*out, "lavfi.ssim.All");
            // A frame the second had none for yet passes through without figures, as in
            // ffmpeg: it is left out rather than spoil the averages.
            if (!std::isnan(sample.psnr) && !std::isnan(sample.ssim))
                samples << sample;
            av_frame_unref(out.get());
        }
    };

    // Both go in in the order of time, so that each of the first's frames meets the second's
    // frame of its moment; only the stretch both have is compared. Each is decoded on a thread
    // of its own meanwhile.
    DecodeAhead aheadA(a, cancelled);
    DecodeAhead aheadB(b, cancelled);
    AVFrame* nextA = aheadA.next();
    AVFrame* nextB = aheadB.next();
    double lastB = 0, spanB = 0; // the second's last frame, on the first's clock, and its length
    double lastShare = -1;
    while (nextA && !cancelled) {
        const double atA = a.secondsOf(*nextA);
        if (nextB) {
            const double atB = (b.secondsOf(*nextB) - secondAhead) / rate;
            if (atB <= atA + 1e-6) {
                if (atB >= -1e-6 && !push(comparison.second, nextB, atB, baseB))
                    return std::nullopt;
                spanB = atB - lastB;
                lastB = atB;
                nextB = aheadB.next();
                collect();
                continue;
            }
        } else if (atA >= lastB + std::max(spanB, 1e-3) - 1e-6) {
            break; // past the second's end
        }
        if (atA * rate + secondAhead < -1e-6)
            ++skipped; // the second has not begun at this moment
        else if (!push(comparison.first, nextA, atA, baseA))
            return std::nullopt;
        nextA = aheadA.next();
        if (progress && duration > 0 && atA / duration - lastShare >= 0.01)
            progress(lastShare = std::min(1.0, atA / duration));
        collect();
    }
    if (cancelled)
        return std::nullopt;
    // The ends of both, so that the last frames come out.
    if (av_buffersrc_add_frame(comparison.first, nullptr) < 0 ||
        av_buffersrc_add_frame(comparison.second, nullptr) < 0)
        return std::nullopt;
    collect();
    if (progress)
        progress(1.0);
    return samples;
}

QualityMeasure::QualityMeasure(QObject* parent)
    : QObject(parent)
    , m_run(
          WorkLength::Long, [this](double share) { emit progressed(share); },
          [this](std::optional<QList<QualitySample>> samples) {
              if (samples)
                  m_samples = *samples;
              emit finished(samples.has_value());
          })
{
}

QualityMeasure::~QualityMeasure() = default;

void QualityMeasure::start(const QString& first, const QString& second, double secondAhead,
                           Mirrors mirrors, double rate, std::shared_ptr<const void> holding)
{
    m_samples.clear();
    m_run.start([=, holding = std::move(holding)](const std::atomic_bool& cancelled,
                                                  const std::function<void(double)>& progress) {
        return measure(first, second, secondAhead, cancelled, progress, mirrors, rate);
    });
}

void QualityMeasure::cancel()
{
    // A comparison under way stops at its next frame; its result is never taken.
    m_run.cancel();
}

void QualityMeasure::clear()
{
    cancel();
    m_samples.clear();
}

QualitySummary summarise(const QList<QualitySample>& samples)
{
    QualitySummary summary;
    if (samples.isEmpty())
        return summary;
    summary.worst = samples.constFirst();
    // The PSNR of the mean squared error over all frame pairs, as ffmpeg's psnr filter gives
    // it: an equal pair adds no error but counts. The peak's square cancels out of the ratio.
    double meanError = 0;
    for (const QualitySample& sample : samples) {
        summary.meanSsim += sample.ssim;
        if (std::isfinite(sample.psnr))
            meanError += std::pow(10.0, -sample.psnr / 10);
        else
            ++summary.identical;
        if (sample.ssim < summary.worst.ssim)
            summary.worst = sample;
    }
    summary.meanSsim /= samples.size();
    meanError /= samples.size();
    summary.meanPsnr =
        meanError > 0 ? -10 * std::log10(meanError) : std::numeric_limits<double>::infinity();
    return summary;
}

double comparedSeconds(const QList<QualitySample>& samples)
{
    if (samples.size() < 2)
        return 0;
    const double lastFrame = samples.constLast().seconds - samples[samples.size() - 2].seconds;
    return samples.constLast().seconds - samples.constFirst().seconds + lastFrame;
}

namespace {

QString decibels(double psnr)
{
    return std::isfinite(psnr) ? QString::number(psnr, 'f', 2) : QStringLiteral("inf");
}

} // namespace

QString measurementsSummary(const QList<QualitySample>& samples)
{
    if (samples.isEmpty())
        return {};
    const QualitySummary summary = summarise(samples);
    const QString identical = summary.identical > 0
                                  ? QStringLiteral(", %1 of them identical").arg(summary.identical)
                                  : QString();
    return QStringLiteral("SSIM %1 on average, worst %2 at frame %3 (%4 s)\n"
                          "PSNR %5 dB on average (of the mean squared error), %6 dB at the "
                          "worst frame\n"
                          "%7 frame pairs compared%8, over %9 s\n")
        .arg(summary.meanSsim, 0, 'f', 6)
        .arg(summary.worst.ssim, 0, 'f', 6)
        .arg(summary.worst.frame)
        .arg(summary.worst.seconds, 0, 'f', 3)
        .arg(decibels(summary.meanPsnr), decibels(summary.worst.psnr))
        .arg(samples.size())
        .arg(identical)
        .arg(comparedSeconds(samples), 0, 'f', 3);
}

QString measurementsAsCsv(const QList<QualitySample>& samples)
{
    QString csv = QStringLiteral("frame,time,psnr,ssim\n");
    for (const QualitySample& sample : samples) {
        csv += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(sample.frame)
                   .arg(sample.seconds, 0, 'f', 3)
                   .arg(decibels(sample.psnr))
                   .arg(sample.ssim, 0, 'f', 6);
    }
    // The summary follows as comment lines, which CSV readers can be told to pass over.
    for (const QString& line : measurementsSummary(samples).split('\n', Qt::SkipEmptyParts))
        csv += QStringLiteral("# ") + line + u'\n';
    return csv;
}

} // namespace tandemo
