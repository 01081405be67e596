#pragma once

#include "analysis/libav_handles.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace tandemo {

/// Lays two decoded pictures side by side in one YUV 4:2:0 picture for an export, straight from
/// their planes as ffmpeg's hstack does, never through RGB: the first as it is, the second scaled
/// to its height, the labels blended over both. It is the export's common case, and going
/// through RGB would cost three colour conversions a picture.
class SideBySideYuv {
public:
    /// Whether pictures like these can be laid out this way: YUV, of one colour matrix, the
    /// first of an even size (the second's place then starts on a chroma sample).
    static bool suits(const AVFrame& first, const AVFrame& second);

    /// For pictures like `first` and `second` (their sizes), with `labels`: a premultiplied ARGB
    /// picture of the side-by-side size, clear but for the labels, which are grey (white on a
    /// translucent black), so that over a picture they only darken its chroma.
    SideBySideYuv(const AVFrame& first, const AVFrame& second, const QImage& labels);

    /// The picture's size, made even as the encoder needs it.
    QSize size() const { return m_size; }
    /// The colour matrix of the pictures (an AVColorSpace): the first's.
    int colourMatrix() const { return m_colourMatrix; }

    /// The two pictures laid out; null when they cannot be (out of memory). The picture is
    /// this object's until the next call.
    AVFrame* compose(const AVFrame& first, const AVFrame& second);

private:
    /// How one side's pictures are brought to their place when they are not in form already.
    struct Side {
        LibavScaler scaler;
        LibavFrame scaled;
    };

    bool place(const AVFrame& picture, int left, int width, Side& side);
    void copyIn(const AVFrame& picture, int left, int width);
    void blendLabels();

    QSize m_size;
    int m_firstWidth = 0;
    int m_colourMatrix = 0;
    LibavFrame m_picture;
    Side m_first;
    Side m_second;
    // The labels' bounding box, in whole chroma samples, and its pixels' coverage and grey
    // (premultiplied), row after row.
    QRect m_labelBox;
    std::vector<std::uint8_t> m_labelAlpha;
    std::vector<std::uint8_t> m_labelGrey;
};

} // namespace tandemo
