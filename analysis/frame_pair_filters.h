#pragma once

#include "analysis/libav_handles.h"

#include <memory>

struct AVFilterContext;
struct AVFilterGraph;
struct AVFrame;

namespace tandemo {

class VideoDecoder;

/// The graph that compares two videos' frames: the second scaled to the first's size and
/// format as shown, then both through libavfilter's `psnr`, `ssim` and `msad`, whose figures ride
/// on the first's frames to the end of the graph.
class FramePairFilters {
public:
    FramePairFilters();
    ~FramePairFilters();
    FramePairFilters(const FramePairFilters&) = delete;
    FramePairFilters& operator=(const FramePairFilters&) = delete;

    /// Builds the graph for the decoders' pictures as they give them, each mirrored or not;
    /// false when it cannot be built.
    bool build(const VideoDecoder& first, bool firstMirrored, const VideoDecoder& second,
               bool secondMirrored);

    /// Takes a frame (a reference of it is kept) of the first or the second video, at its time
    /// on the first's clock in seconds; null: that video's end.
    bool pushFirst(AVFrame* frame, double seconds);
    bool pushSecond(AVFrame* frame, double seconds);
    /// The next frame compared, with the figures in its metadata, into `out`; false when none
    /// is ready.
    bool takeCompared(AVFrame* out);
    /// The time base of the compared frames' times.
    double secondsPerTick() const;

private:
    LibavGraph m_graph;
    AVFilterContext* m_first = nullptr;
    AVFilterContext* m_second = nullptr;
    AVFilterContext* m_sink = nullptr;
    double m_firstTick = 0;
    double m_secondTick = 0;
};

} // namespace tandemo
