#include "analysis/quality_measure.h"

#include "analysis/decode_ahead.h"
#include "analysis/frame_pair_filters.h"
#include "analysis/frame_queue.h"
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
#include <thread>

namespace tandemo {

namespace {

double metadataNumber(const AVFrame& frame, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(frame.metadata, key, nullptr, 0);
    return entry ? std::strtod(entry->value, nullptr) : std::numeric_limits<double>::quiet_NaN();
}

/// One rendition on its way through the comparison: its decoder, its graph, how far it has come.
struct Lane {
    Lane(const MeasuredVideo& video, const std::atomic_bool& cancelled)
        : video(video)
        , decoder(video.path, cancelled)
    {
    }

    /// Opens the rendition and builds its graph against the reference; false, with why.
    bool open(const VideoDecoder& reference, bool referenceMirrored)
    {
        QString filtered;
        if (!decoder.isOpen())
            why = QStringLiteral("no video that can be decoded");
        else if (!(video.rate > 0))
            why = QStringLiteral("a pace that is not above 0");
        else if (!decoder.setFilter(video.filter, &filtered))
            why = QStringLiteral("the filter: %1").arg(filtered);
        else if (!filters.build(reference, referenceMirrored, decoder, video.mirrored))
            why = QStringLiteral("its pictures cannot be compared with the reference's");
        return why.isEmpty();
    }

    void start(const std::atomic_bool& cancelled)
    {
        ahead = std::make_unique<DecodeAhead>(decoder, cancelled);
        next = ahead->next();
    }

    /// The rendition's frames up to the reference's moment go in first, so that each of the
    /// reference's frames meets the rendition's frame of its moment.
    bool feedUpTo(double atReference)
    {
        while (next) {
            const double at = (decoder.secondsOf(*next) - video.secondAhead) / video.rate;
            if (at > atReference + 1e-6)
                return true;
            if (at >= -1e-6 && !filters.pushSecond(next, at))
                return false;
            span = at - last;
            last = at;
            next = ahead->next();
            // A still's one picture stands for every moment: its end told at once, the filters
            // compare each of the reference's frames with it.
            if (!next && decoder.isStill() && !filters.pushSecond(nullptr, 0))
                return false;
            collect();
        }
        return true;
    }

    /// Past the rendition's end (its last frame's time is up) nothing more is compared.
    bool endsBefore(double atReference) const
    {
        return !next && !decoder.isStill() && atReference >= last + std::max(span, 1e-3) - 1e-6;
    }

    bool takeReference(AVFrame* frame, double at)
    {
        if (at * video.rate + video.secondAhead < -1e-6) {
            ++skipped; // the rendition has not begun at this moment
            return true;
        }
        const bool taken = filters.pushFirst(frame, at);
        collect();
        return taken;
    }

    void collect()
    {
        while (out && filters.takeCompared(out.get())) {
            QualitySample sample;
            sample.frame = skipped + compared++;
            sample.seconds = double(out->pts) * filters.secondsPerTick();
            sample.psnr = metadataNumber(*out, "lavfi.psnr.psnr_avg");
            sample.ssim = metadataNumber(*out, "lavfi.ssim.All");
            sample.msad = metadataNumber(*out, "lavfi.msad.msad_avg");
            for (std::size_t plane = 0; plane < 3; ++plane) {
                static const char* const psnrKeys[] = {"lavfi.psnr.psnr.y", "lavfi.psnr.psnr.u",
                                                       "lavfi.psnr.psnr.v"};
                static const char* const ssimKeys[] = {"lavfi.ssim.Y", "lavfi.ssim.U",
                                                       "lavfi.ssim.V"};
                sample.planePsnr[plane] = metadataNumber(*out, psnrKeys[plane]);
                sample.planeSsim[plane] = metadataNumber(*out, ssimKeys[plane]);
            }
            // A frame the rendition had none for yet passes through without figures, as in
            // ffmpeg: it is left out rather than spoil the averages.
            if (!std::isnan(sample.psnr) && !std::isnan(sample.ssim))
                samples << sample;
            av_frame_unref(out.get());
        }
    }

    bool finish()
    {
        const bool ended =
            filters.pushFirst(nullptr, 0) && (decoder.isStill() || filters.pushSecond(nullptr, 0));
        collect();
        return ended;
    }

    /// Compares each of the reference's frames as it is handed over, then the ends of both (so
    /// that the last frames come out); past the rendition's end, or failed, it only takes them.
    void run()
    {
        for (FrameQueue::Entry reference = references.pop(); reference.frame;
             reference = references.pop()) {
            if (!open_ || done)
                continue;
            if (!feedUpTo(reference.seconds) ||
                (!endsBefore(reference.seconds) &&
                 !takeReference(reference.frame.get(), reference.seconds))) {
                fail();
                continue;
            }
            done = endsBefore(reference.seconds);
        }
        if (open_ && !finish())
            fail();
        done = true;
    }

    void fail()
    {
        open_ = false;
        why = QStringLiteral("it could not be decoded to the end");
    }

    MeasuredVideo video;
    VideoDecoder decoder;
    FramePairFilters filters;
    std::unique_ptr<DecodeAhead> ahead;
    LibavFrame out{av_frame_alloc()};
    AVFrame* next = nullptr;
    double last = 0; // the rendition's last frame, on the reference's clock, and its length
    double span = 0;
    qint64 skipped = 0; // the reference's frames before the rendition begins
    qint64 compared = 0;
    // Set on the lane's own thread, read where the reference is handed out.
    std::atomic_bool open_ = false;
    std::atomic_bool done = false;
    FrameQueue references{4};
    std::thread thread;
    QString why;
    QList<QualitySample> samples;
};

} // namespace

std::optional<QList<QualitySample>>
QualityMeasure::measure(const QString& firstPath, const QString& secondPath, double secondAhead,
                        const std::atomic_bool& cancelled,
                        const std::function<void(double)>& progress, Mirrors mirrors, double rate)
{
    const auto results =
        measureAll({firstPath, 0, 1, mirrors.first, {}},
                   {{secondPath, secondAhead, rate, mirrors.second, {}}}, cancelled, progress);
    if (!results || !results->constFirst().compared)
        return std::nullopt;
    return results->constFirst().samples;
}

std::optional<QList<RenditionMeasurement>>
QualityMeasure::measureAll(const MeasuredVideo& reference, const QList<MeasuredVideo>& renditions,
                           const std::atomic_bool& cancelled,
                           const std::function<void(double)>& progress)
{
    VideoDecoder a(reference.path, cancelled);
    QString unused;
    if (!a.isOpen() || !a.setFilter(reference.filter, &unused))
        return std::nullopt;
    // A still against one video: each of the video's frames is compared with the still, which
    // the comparison takes as the one that stays. The figures are the same either way round.
    if (a.isStill() && renditions.size() == 1 &&
        !VideoDecoder(renditions.first().path, cancelled).isStill()) {
        const MeasuredVideo& video = renditions.first();
        auto swapped = measureAll({video.path, 0, 1, video.mirrored, video.filter},
                                  {{reference.path, 0, 1, reference.mirrored, reference.filter}},
                                  cancelled, progress);
        if (swapped && !swapped->isEmpty())
            swapped->first().path = video.path;
        return swapped;
    }
    std::vector<std::unique_ptr<Lane>> lanes;
    for (const MeasuredVideo& rendition : renditions) {
        lanes.push_back(std::make_unique<Lane>(rendition, cancelled));
        Lane& lane = *lanes.back();
        lane.open_ = lane.open(a, reference.mirrored);
        if (lane.open_)
            lane.start(cancelled);
    }
    const double duration = a.duration();
    // Each rendition is compared on a thread of its own (its filters are most of the work); the
    // reference is decoded once, a few frames ahead on a thread of its own, and each of its
    // frames handed to every rendition.
    for (const auto& lane : lanes) {
        if (lane->open_)
            lane->thread = std::thread([&lane = *lane] { lane.run(); });
    }
    DecodeAhead aheadA(a, cancelled);
    AVFrame* nextA = aheadA.next();
    double lastShare = -1;
    while (nextA && !cancelled) {
        const double atA = a.secondsOf(*nextA);
        bool anyLeft = false;
        for (const auto& lane : lanes) {
            if (!lane->open_ || lane->done)
                continue;
            anyLeft = true;
            LibavFrame shared(av_frame_clone(nextA)); // the same picture, a reference each
            if (shared)
                lane->references.push({std::move(shared), atA});
        }
        if (!anyLeft)
            break;
        nextA = aheadA.next();
        if (progress && duration > 0 && atA / duration - lastShare >= 0.01)
            progress(lastShare = std::min(1.0, atA / duration));
    }
    for (const auto& lane : lanes) {
        lane->references.close();
        if (lane->thread.joinable())
            lane->thread.join();
    }
    if (cancelled)
        return std::nullopt;
    QList<RenditionMeasurement> results;
    for (const auto& lane : lanes)
        results.append({lane->video.path, lane->open_, lane->why, lane->samples});
    if (progress)
        progress(1.0);
    return results;
}

QualityMeasure::QualityMeasure(QObject* parent)
    : QObject(parent)
    , m_run(
          WorkLength::Long, [this](double share) { emit progressed(share); },
          [this](std::optional<QList<RenditionMeasurement>> results) {
              if (results)
                  m_results = *results;
              emit finished(results.has_value());
          })
{
}

QualityMeasure::~QualityMeasure() = default;

void QualityMeasure::start(const QString& first, const QString& second, double secondAhead,
                           Mirrors mirrors, double rate, std::shared_ptr<const void> holding)
{
    start({first, 0, 1, mirrors.first, {}}, {{second, secondAhead, rate, mirrors.second, {}}},
          std::move(holding));
}

void QualityMeasure::start(const MeasuredVideo& reference, const QList<MeasuredVideo>& renditions,
                           std::shared_ptr<const void> holding)
{
    m_results.clear();
    m_run.start([=, holding = std::move(holding)](const std::atomic_bool& cancelled,
                                                  const std::function<void(double)>& progress) {
        return measureAll(reference, renditions, cancelled, progress);
    });
}

const QList<QualitySample>& QualityMeasure::samples() const
{
    static const QList<QualitySample> none;
    return m_results.isEmpty() ? none : m_results.constFirst().samples;
}

void QualityMeasure::cancel()
{
    // A comparison under way stops at its next frame; its result is never taken.
    m_run.cancel();
}

void QualityMeasure::clear()
{
    cancel();
    m_results.clear();
}

} // namespace tandemo
