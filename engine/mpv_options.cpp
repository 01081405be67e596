#include "engine/mpv_options.h"

#include "analysis/video_decoder.h"

#include <mpv/client.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace tandemo {

namespace {

// The player is embedded: nothing of the user's mpv set-up, no scripts, no key bindings and no
// on-screen controller of mpv's own (the player has its own controls).
constexpr MpvOption kEmbeddedOptions[] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"terminal", "no"},
    {"vo", "libmpv"},
    {"hwdec", "auto-safe"},
    // Stay alive without a file, and unload a file that ends (unless looping).
    {"idle", "yes"},
    {"keep-open", "no"},
    // A still picture stays until another file comes, rather than ending (and looping) each
    // second.
    {"image-display-duration", "inf"},
    // Keep the video's aspect; shrink a large video to fit but never enlarge a small one.
    {"keepaspect", "yes"},
    {"video-unscaled", kSmallPicturesUnscaled},
    // Hand each frame to the renderer when it is due, not ahead of time: a view that draws a frame
    // as soon as it gets it would show an early one early, and a waiting core's first picture
    // after each loop restart only in passing. The engine lets the shown core of a view that
    // draws ahead and waits for the due time (the software view, on its own thread) hand its
    // frames over earlier.
    {"video-timing-offset", "0"},
    // Decode one picture ahead instead of two (durations then come from the file's frame rate,
    // which only frame dropping uses): a 1080p picture less in every core, some 16 MiB for two
    // panes with their waiting cores, without a change in smoothness or at the loop.
    {"video-latency-hacks", "yes"},
    // Keep what was read in the demuxer cache, so the jump back to the start at a loop's end is
    // served from memory instead of a new read and a fresh demuxer start. A short clip up to
    // 16 MiB (some 8 s of 1080p) loops entirely from memory; a larger file is read ahead only,
    // by at most as much, as mpv plays a file (see fileCacheOptions). Holding more bought no
    // smoother loops, only memory: two 20 s 1080p files would have held 72 MiB.
    {"cache", "yes"},
    {"demuxer-seekable-cache", "yes"},
    {"demuxer-max-bytes", "16MiB"},
    {"demuxer-max-back-bytes", "16MiB"},
    // Scale software-rendered video with zimg's bilinear filter: measured on two 1080p panes it
    // costs about a tenth less CPU than the default lanczos, and colours stay within 3 steps of
    // ffmpeg's own decode (swscale instead cost half as much again).
    {"zimg-scaler", "bilinear"},
    // The desktop's sound servers, then the sound card itself. Outputs that are process-wide
    // (SDL) or need a server of their own (JACK) are left out: with two players in one process
    // the second could not open them and would stall.
    {"ao", "pipewire,pulse,alsa"},
    // With no sound device the video still plays, timed as if the sound were heard.
    {"audio-fallback-to-null", "yes"},
    {"volume", "50"},
    {"mute", "no"},
    // A file plays only what it holds itself: a playlist or reference file under a video's name
    // must not make the player open other files, let alone reach the network.
    {"access-references", "no"},
    {"demuxer-lavf-o", "protocol_whitelist=file"},
    {"load-unsafe-playlists", "no"},
    {"ordered-chapters", "no"},
    // Nor does it look beside the file: no subtitle, audio or cover-art files of the same name
    // (a pipe there would block the player, a link lead elsewhere), no saved positions, and none
    // of mpv's own scripts or profiles.
    {"autoload-files", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
    {"resume-playback", "no"},
    {"load-auto-profiles", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
};

} // namespace

QByteArray fileCacheOptions(qint64 fileSize, bool gaplessLoop)
{
    // Held partly, a file is read again at every loop anyway: the memory would buy nothing. Nor
    // does it where the seek back happens in a core that waits, out of sight.
    return fileSize > kWholeFileCacheBytes || gaplessLoop
               ? QByteArrayLiteral("cache=no,demuxer-seekable-cache=no")
               : QByteArray();
}

QByteArray uprightFilter(std::int64_t rotation)
{
    // The nearest quarter turn, through the same filters as pictures decoded outside the player.
    const int degrees = int(((rotation % 360) + 360 + 45) % 360 / 90 * 90);
    return degrees == 0 ? QByteArray() : "lavfi=[" + shownAsFilters(degrees, false) + "]";
}

namespace {

VideoTrack trackOf(const mpv_node& track, bool* video, bool* isDefault)
{
    VideoTrack found;
    for (int k = 0; k < track.u.list->num; ++k) {
        const std::string_view key = track.u.list->keys[k];
        const mpv_node& value = track.u.list->values[k];
        if (key == "type" && value.format == MPV_FORMAT_STRING)
            *video = std::string_view(value.u.string) == "video";
        else if (key == "default" && value.format == MPV_FORMAT_FLAG)
            *isDefault = value.u.flag != 0;
        else if (key == "image" && value.format == MPV_FORMAT_FLAG)
            found.image = value.u.flag != 0;
        else if (key == "demux-rotation" && value.format == MPV_FORMAT_INT64)
            found.rotation = value.u.int64;
        else if (key == "demux-w" && value.format == MPV_FORMAT_INT64)
            found.size.setWidth(int(value.u.int64));
        else if (key == "demux-h" && value.format == MPV_FORMAT_INT64)
            found.size.setHeight(int(value.u.int64));
    }
    return found;
}

} // namespace

VideoTrack videoTrack(const mpv_node& trackList)
{
    if (trackList.format != MPV_FORMAT_NODE_ARRAY)
        return {};
    std::optional<VideoTrack> first;
    for (int i = 0; i < trackList.u.list->num; ++i) {
        const mpv_node& track = trackList.u.list->values[i];
        if (track.format != MPV_FORMAT_NODE_MAP)
            continue;
        bool video = false;
        bool isDefault = false;
        const VideoTrack found = trackOf(track, &video, &isDefault);
        if (!video)
            continue;
        if (isDefault)
            return found;
        if (!first)
            first = found;
    }
    return first.value_or(VideoTrack{});
}

int decoderThreadsFor(int cores, QSize video, bool sharedWithAnotherPane)
{
    const int share = std::max(2, cores / 2);
    const bool upTo1080p = video.isValid() && qint64(video.width()) * video.height() <= 1920 * 1088;
    if (sharedWithAnotherPane && upTo1080p && 2 * share > cores)
        return 1;
    return share;
}

bool loopFilterVisible(QSize area, QSize video, double zoom, bool scaledToFit)
{
    if (area.isEmpty() || video.isEmpty())
        return true;
    double scale =
        std::min(double(area.width()) / video.width(), double(area.height()) / video.height());
    if (!scaledToFit)
        scale = std::min(scale, 1.0);
    return scale * std::exp2(std::max(zoom, 0.0)) > 0.5;
}

std::span<const MpvOption> embeddedMpvOptions()
{
    return kEmbeddedOptions;
}

} // namespace tandemo
