#pragma once

#include "analysis/libav_handles.h"

#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

struct AVFilterContext;
struct AVFilterGraph;
struct AVFrame;

namespace tandemo {

/// The size and pixel format of the pictures a decoder gives, as filtered.
struct PictureShape {
    int width = 0;
    int height = 0;
    int format = -1;
    int aspectNum = 1;
    int aspectDen = 1;
};

/// A libavfilter chain ("crop=1280:536:0:92,yadif") that every picture of a video goes through,
/// so that what is measured, aligned, read and exported is the picture the pane shows.
class PictureFilter {
public:
    ~PictureFilter();
    PictureFilter(const PictureFilter&) = delete;
    PictureFilter& operator=(const PictureFilter&) = delete;

    /// The chain for pictures of that shape, with their times in `timeBase` (numerator,
    /// denominator); none, and libavfilter's own reason, when it cannot be built.
    static std::unique_ptr<PictureFilter> make(const QString& chain, const PictureShape& input,
                                               int timeBaseNum, int timeBaseDen, QString* why);

    /// Takes a picture in (a reference of it is kept), or the end of the pictures (null).
    bool push(AVFrame* frame);
    /// The next picture out, its times in the input's time base; null when it needs more. The
    /// picture is this object's own until the next call.
    AVFrame* pull();
    const PictureShape& shape() const { return m_shape; }

private:
    PictureFilter() = default;

    LibavGraph m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    LibavFrame m_out;
    int m_baseNum = 1;
    int m_baseDen = 1;
    PictureShape m_shape;
};

/// What libavfilter's `buffer` source is told of the pictures it takes.
QByteArray bufferSourceArgs(const PictureShape& shape, int timeBaseNum, int timeBaseDen);

/// Why a chain cannot be a filter chain at all (an unknown filter, a bad option), in
/// libavfilter's own words; empty when it can. Whether it fits a video is known with the video.
QString filterChainProblem(const QString& chain);

/// A filter of a graph and the label it is known by in a graph's description.
using LabelledFilter = std::pair<const char*, AVFilterContext*>;
/// Parses a graph's description, its open ends joined to filters made already: each source to
/// the label it feeds, each sink to the label that feeds it.
bool parseGraph(AVFilterGraph* graph, const QByteArray& description,
                const std::vector<LabelledFilter>& sources,
                const std::vector<LabelledFilter>& sinks);

/// Runs `work` with libav's error messages of this thread collected, and returns them, joined.
QString libavMessagesOf(const std::function<void()>& work);

} // namespace tandemo
