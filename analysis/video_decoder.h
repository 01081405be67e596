#pragma once

#include "analysis/local_input.h"
#include "analysis/picture_filter.h"

#include <QString>

#include <atomic>
#include <memory>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace tandemo {

/// Decodes the pictures of a file's main video stream, one after another, outside the players:
/// only the local file itself is opened (no other protocol, nothing the file names).
class VideoDecoder {
public:
    /// How closely to decode: every detail; roughly (without the deblocking filter, which an
    /// average over a part of the picture never shows); or roughly and only the key frames, a
    /// small share of the cost.
    enum class Detail { Full, Rough, KeyFramesOnly };

    /// Opens the file; check isOpen(). A set `cancelled` stops opening and reading early.
    VideoDecoder(const QString& path, const std::atomic_bool& cancelled,
                 Detail detail = Detail::Full);
    /// The same, for a file already opened and judged.
    VideoDecoder(const RegularFile& file, const std::atomic_bool& cancelled,
                 Detail detail = Detail::Full);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    bool isOpen() const { return m_decoder != nullptr; }
    const AVCodecContext& codec() const { return *m_decoder; }
    const AVStream& stream() const { return *m_stream; }
    /// Seconds from the file's start to its end, as the container tells it (0: unknown).
    double duration() const;
    /// The file is a still picture (a PNG, a JPEG...), read by one of libavformat's image
    /// readers: one frame, which stays.
    bool isStill() const;
    /// How far the picture is turned clockwise to be shown upright, in degrees: 0, 90, 180 or
    /// 270, as the file's display matrix says.
    int rotation() const;

    /// Every picture from now on goes through the libavfilter chain (none: as decoded); false,
    /// with libavfilter's own reason, when the chain cannot take this video's pictures.
    bool setFilter(const QString& chain, QString* why);
    /// The pictures' size, pixel format and pixel aspect, as next() gives them.
    PictureShape shape() const;

    /// The next picture, or none at the end of the stream (or on an error). The frame is the
    /// decoder's own until the next call.
    AVFrame* next();
    /// Goes to the key frame at or before `seconds` from the file's start; the frames from there
    /// come next.
    void seekTo(double seconds);
    /// A frame's time from the file's start, in seconds.
    double secondsOf(const AVFrame& frame) const;

private:
    void open(Detail detail);
    AVFrame* decodeNext();

    LocalInput m_input;
    LibavCodec m_decoder;
    LibavFrame m_frame;
    LibavPacket m_packet;
    AVStream* m_stream = nullptr;
    double m_start = 0;
    bool m_draining = false;
    QString m_chain;
    std::unique_ptr<PictureFilter> m_filter;
    bool m_filterEnded = false;
};

/// Why a pane's libavfilter chain cannot take the file's pictures, in libavfilter's own words;
/// empty when it can (or the chain is empty).
QString filterProblem(const RegularFile& file, const QString& chain);

/// The libavfilter filters that show a decoded picture as a pane does: turned upright by
/// `rotation` degrees clockwise, then mirrored if asked ("null" when nothing is to be done).
QByteArray shownAsFilters(int rotation, bool mirrored);

} // namespace tandemo
