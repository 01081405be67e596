#pragma once

#include "analysis/libav_handles.h"
#include "analysis/video_decoder.h"

#include <QPointF>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace tandemo {

/// How far a frame's time may come out off its timestamp.
inline constexpr double kFrameTimeTolerance = 1e-4;

/// One pixel of a picture, as the file holds it and as it is shown.
struct PixelValues {
    /// The pixel's place in the picture as shown (upright, mirrored as the pane shows it).
    int x = 0;
    int y = 0;
    /// The decoded code values: luma and the two chroma components, at the file's bit depth
    /// (8 or 10, say); chroma of the chroma sample the pixel lies in.
    int bits = 8;
    int luma = 0;
    int cb = 0;
    int cr = 0;
    /// Red, green and blue as ffmpeg converts the picture (8 bits each).
    int red = 0;
    int green = 0;
    int blue = 0;
    /// The picture is stored as RGB (a PNG, say): its code values are red, green and blue, and
    /// luma and chroma hold none.
    bool storedAsRgb = false;
};

/// The picture of a file that shows at a moment, decoded in full and kept in the file's own
/// pixel format, with what it takes to show it (its rotation), and its RGB conversion.
class DecodedPicture {
public:
    /// The frame that shows at `seconds` (the last that starts at or before it); none when the
    /// file cannot be read there, or `cancelled` was set.
    /// `filter`: the libavfilter chain the pane's pictures go through (empty: none);
    /// `toneMap`: the chain that maps an HDR picture to the standard range, which its RGB goes
    /// through while the frame keeps its code values.
    static std::optional<DecodedPicture> read(const QString& path, double seconds,
                                              const std::atomic_bool& cancelled,
                                              const QString& filter = {},
                                              const QString& toneMap = {});
    static std::optional<DecodedPicture> read(const RegularFile& file, double seconds,
                                              const std::atomic_bool& cancelled,
                                              const QString& filter = {},
                                              const QString& toneMap = {});
    /// The same, from an open decoder; the frame is the caller's from then on.
    static LibavFrame frameShowingAt(VideoDecoder& decoder, double seconds,
                                     const std::atomic_bool& cancelled);

    /// The picture's size as shown (turned upright), and as decoded.
    QSize shownSize() const;
    QSize storedSize() const;
    /// How far it turns clockwise to be shown upright, in degrees.
    int rotation() const { return m_rotation; }
    /// The picture as decoded in packed 8-bit RGB, three bytes a pixel, row after row.
    const std::vector<std::uint8_t>& rgb() const { return m_rgb; }
    /// When the picture starts showing, in seconds from the file's start.
    double seconds() const { return m_seconds; }
    /// The picture as decoded (before it is turned upright), the object's own.
    const AVFrame& frame() const { return *m_frame; }
    /// The pixel at a point of the picture as shown, given as a fraction of its width and
    /// height from its top left (mirrored: as a pane that mirrors it shows it); none outside it,
    /// or for a picture that has no luma and chroma planes.
    std::optional<PixelValues> valuesAt(QPointF shown, bool mirrored) const;

private:
    DecodedPicture() = default;
    static std::optional<DecodedPicture> read(VideoDecoder& decoder, double seconds,
                                              const std::atomic_bool& cancelled,
                                              const QString& toneMap = {});

    LibavFrame m_frame;
    int m_rotation = 0;
    double m_seconds = 0;
    std::vector<std::uint8_t> m_rgb; // packed, three bytes a pixel, row after row
};

/// A frame in packed 8-bit RGB, converted as ffmpeg's own conversion does it (bicubic, with the
/// colour matrix and range the frame is tagged with); empty when it cannot be.
std::vector<std::uint8_t> convertToRgb(const AVFrame& frame, int stride);
/// The same as four bytes a pixel (blue, green, red, unused: Qt's RGB32 on a little-endian
/// machine), converted more quickly, for pictures that are to be encoded again.
std::vector<std::uint8_t> convertToRgb32(const AVFrame& frame, int stride);

} // namespace tandemo
