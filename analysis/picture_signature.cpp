#include "analysis/picture_signature.h"

#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <array>
#include <memory>

namespace tandemo {

namespace {

// The grid: 8 × 8 cells.
constexpr int kGrid = 8;
constexpr int kCells = kGrid * kGrid;

using Cells = std::array<float, kCells>;

} // namespace

std::optional<PictureSignature> readPictureSignature(const QString& path, double from,
                                                     double seconds, int rate,
                                                     const std::atomic_bool& cancelled,
                                                     PicturesRead read, const QString& filter)
{
    VideoDecoder decoder(path, cancelled,
                         read == PicturesRead::All ? VideoDecoder::Detail::Rough
                                                   : VideoDecoder::Detail::KeyFramesOnly);
    QString refused;
    if (!decoder.isOpen() || rate <= 0 || !decoder.setFilter(filter, &refused))
        return std::nullopt;
    if (from > 0)
        decoder.seekTo(from);
    LibavScaler scaler;
    // Each frame's cells, at its time.
    std::vector<double> times;
    std::vector<Cells> frames;
    // swscale writes whole vectors: a picture of libav's own, padded, however small the grid.
    const LibavFrame grid = newPicture(kGrid, kGrid, AV_PIX_FMT_GRAY8);
    if (!grid)
        return std::nullopt;
    while (!cancelled) {
        AVFrame* frame = decoder.next();
        if (!frame)
            break;
        const double at = decoder.secondsOf(*frame);
        if (at < from - 0.5 / rate)
            continue; // before the stretch, from the key frame the seek went to
        if (at > from + seconds)
            break;
        // Scaled down by area to the grid itself, in brightness only.
        scaler.reset(sws_getCachedContext(scaler.release(), frame->width, frame->height,
                                          AVPixelFormat(frame->format), kGrid, kGrid,
                                          AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
        if (!scaler)
            return std::nullopt;
        sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, grid->data,
                  grid->linesize);
        Cells cells;
        for (int i = 0; i < kCells; ++i)
            cells[std::size_t(i)] = grid->data[0][(i / kGrid) * grid->linesize[0] + i % kGrid];
        times.push_back(at);
        frames.push_back(cells);
    }
    if (cancelled || frames.size() < 2)
        return std::nullopt;
    // Each frame stands for the middle of its time on the screen: the series then changes from
    // one frame to the next around the moment the next one shows, whatever the frame rate. (Taken
    // at their starts, a change would lead by half a frame: more at 25 frames a second than at
    // 50, which put two takes of different rates half a frame apart.)
    const double lastSpan = times.back() - times[times.size() - 2];
    for (std::size_t k = 0; k < times.size(); ++k)
        times[k] += (k + 1 < times.size() ? times[k + 1] - times[k] : lastSpan) / 2;

    PictureSignature signature;
    signature.rate = rate;
    signature.pictures = int(times.size());
    signature.seconds = times.back() - times.front();
    signature.start = times.front();
    const std::size_t samples = std::size_t((times.back() - times.front()) * rate) + 1;
    signature.cells.assign(kCells, std::vector<float>(samples > 1 ? samples - 1 : 0));
    std::size_t frameAt = 0;
    Cells previous{};
    for (std::size_t n = 0; n < samples; ++n) {
        const double t = signature.start + double(n) / rate;
        while (frameAt + 2 < times.size() && times[frameAt + 1] <= t)
            ++frameAt;
        const double span = times[frameAt + 1] - times[frameAt];
        const double share = span > 0 ? std::clamp((t - times[frameAt]) / span, 0.0, 1.0) : 0;
        Cells now;
        for (std::size_t c = 0; c < kCells; ++c)
            now[c] = float(frames[frameAt][c] * (1 - share) + frames[frameAt + 1][c] * share);
        if (n > 0) {
            for (std::size_t c = 0; c < kCells; ++c)
                signature.cells[c][n - 1] = now[c] - previous[c];
        }
        previous = now;
    }
    return signature;
}

} // namespace tandemo
