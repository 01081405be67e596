#include "analysis/frame_times.h"

#include "analysis/local_input.h"
#include "analysis/work_pools.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <memory>

namespace tandemo {

namespace {

// A bound on what is kept: ten hours at 60 frames a second.
constexpr std::size_t kMostFrames = 10 * 3600 * 60;
// A frame's time as the engine reports it may come out a hair below the timestamp.
constexpr double kTolerance = 1e-4;

} // namespace

FrameTimes::FrameTimes(std::vector<double> times, bool complete)
    : m_times(std::move(times))
    , m_complete(complete)
{
    std::sort(m_times.begin(), m_times.end());
}

FrameTimes FrameTimes::read(const RegularFile& file, const std::atomic_bool& cancelled)
{
    const LocalInput input = openLocalInput(file, cancelled);
    if (!input)
        return {};
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0)
        return {};
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (int(i) != video)
            input->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVStream* stream = input->streams[video];
    // The engine counts from the file's start, as the container gives it.
    const double start =
        input->start_time != AV_NOPTS_VALUE ? double(input->start_time) / AV_TIME_BASE : 0;

    std::vector<double> times;
    const LibavPacket packet(av_packet_alloc());
    while (packet && !cancelled && times.size() < kMostFrames &&
           av_read_frame(input.get(), packet.get()) >= 0) {
        // Packets marked to be dropped (before an edit list's start) are never shown.
        if (packet->stream_index == video && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (stamp != AV_NOPTS_VALUE)
                times.push_back(double(stamp) * av_q2d(stream->time_base) - start);
        }
        av_packet_unref(packet.get());
    }
    if (cancelled)
        return {};
    const bool complete = times.size() < kMostFrames;
    return FrameTimes(std::move(times), complete);
}

std::optional<FrameAt> FrameTimes::frameAt(double seconds) const
{
    if (m_times.empty())
        return std::nullopt;
    const auto after = std::upper_bound(m_times.begin(), m_times.end(), seconds + kTolerance);
    // Past the last frame read, the frame showing may be any of those not read.
    if (after == m_times.end() && !m_complete && seconds > m_times.back() + kTolerance)
        return std::nullopt;
    const auto showing = after == m_times.begin() ? after : after - 1;
    return FrameAt{qint64(showing - m_times.begin()), std::max(*showing, 0.0)};
}

bool FrameTimes::isAfterLastFrameStart(double seconds) const
{
    return m_complete && !m_times.empty() && seconds > m_times.back() + kTolerance;
}

std::optional<double> FrameTimes::frameStart(double seconds, qint64 steps) const
{
    const std::optional<FrameAt> showing = frameAt(seconds);
    return showing ? frameStart(showing->number + steps) : std::nullopt;
}

std::optional<double> FrameTimes::frameStart(qint64 number) const
{
    if (number < 0 || number >= count())
        return std::nullopt;
    return std::max(0.0, m_times[std::size_t(number)]);
}

FrameTimesReader::FrameTimesReader()
    : m_reading(
          WorkLength::Short, [](double) {},
          [this](std::optional<FrameTimes> times) {
              m_times = std::move(times).value_or(FrameTimes());
          })
{
}

void FrameTimesReader::read(RegularFile file)
{
    clear();
    auto held = std::make_shared<RegularFile>(std::move(file));
    m_reading.start([held](const std::atomic_bool& cancelled, const auto&) {
        return std::optional<FrameTimes>(FrameTimes::read(*held, cancelled));
    });
}

void FrameTimesReader::clear()
{
    // A reading under way stops at its next packet; its result is never taken.
    m_reading.cancel();
    m_times = FrameTimes();
}

} // namespace tandemo
