#pragma once

#include "analysis/libav_handles.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct AVCodec;
struct AVStream;

namespace tandemo {

/// Writes a new video file: pictures given as 32-bit pixels or in YUV 4:2:0, encoded as H.264
/// where libavcodec offers an H.264 encoder (else as MPEG-4 Visual), and mono sound encoded as
/// AAC, in an MP4 container.
class VideoWriter {
public:
    /// Opens `path` for pictures of `size` (made even, as the encoder needs) at `framesPerSecond`
    /// and, when `soundRate` is above 0, sound at that many samples a second; check isOpen().
    /// `colourMatrix` (an AVColorSpace) is the one YUV pictures come in; pictures given as 32-bit
    /// pixels are converted with BT.601, the one it stands at unless told.
    VideoWriter(const QString& path, QSize size, double framesPerSecond, int soundRate,
                int colourMatrix = kBt601);
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    static constexpr int kBt601 = 6; // AVCOL_SPC_SMPTE170M

    bool isOpen() const { return m_open; }
    /// What went wrong, as libav says it; empty while all is well.
    QString error() const { return m_error; }
    /// The size pictures are given in; and the size they are encoded at, the same unless that
    /// is larger than players decode (8K UHD), when they are scaled down to fit.
    QSize size() const { return m_size; }
    QSize encodedSize() const { return m_encodedSize; }
    /// The encoder's name ("libx264", "mpeg4").
    QString videoCodec() const;

    /// The next picture, of the writer's size, four bytes a pixel: blue, green, red and one
    /// unused (as a little-endian machine keeps 0xffRRGGBB).
    bool writePicture(const std::uint8_t* pixels, int stride);
    /// The next picture in YUV 4:2:0 of limited range, of the writer's size. The encoder keeps
    /// a reference to it: make it writable before changing it again.
    bool writePicture(AVFrame& picture);
    /// More of the sound, one sample after another.
    bool writeSound(const float* samples, std::size_t count);
    /// Encodes what is left and ends the file; false when anything could not be written.
    bool finish();

private:
    struct Encoder {
        LibavCodec codec;
        AVStream* stream = nullptr;
        std::int64_t next = 0; // the next frame's time, in the codec's time base
    };

    bool openVideo(double framesPerSecond, int colourMatrix);
    bool openSound(int rate);
    /// Opens an encoder whose context is set up, and describes its stream after it.
    bool openEncoder(Encoder& encoder, const AVCodec* codec, const char* cannotOpen,
                     const char* cannotDescribe);
    bool encode(Encoder& encoder, const AVFrame* frame);
    bool encodePicture(AVFrame& picture);
    bool encodeSoundFrame(std::size_t count);
    bool fail(const char* what, int code);

    /// Closes the file and frees the container's context.
    struct OutputCloser {
        void operator()(AVFormatContext* output) const;
    };

    std::unique_ptr<AVFormatContext, OutputCloser> m_output;
    Encoder m_video;
    Encoder m_sound;
    LibavFrame m_picture;
    LibavFrame m_soundFrame;
    LibavPacket m_packet;
    LibavScaler m_scaler;
    LibavScaler m_frameScaler;
    std::vector<float> m_pendingSound;
    QSize m_size;
    QSize m_encodedSize;
    QString m_error;
    bool m_open = false;
    bool m_finished = false;
};

} // namespace tandemo
