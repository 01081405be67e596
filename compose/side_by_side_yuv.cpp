#include "compose/side_by_side_yuv.h"

#include "compose/export_frames.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace tandemo {

namespace {

bool isYuv(const AVFrame& picture)
{
    const AVPixFmtDescriptor* form = av_pix_fmt_desc_get(AVPixelFormat(picture.format));
    return form && form->nb_components >= 3 && !(form->flags & AV_PIX_FMT_FLAG_RGB) &&
           !(form->flags & AV_PIX_FMT_FLAG_HWACCEL);
}

bool isFullRange(const AVFrame& picture)
{
    const auto format = AVPixelFormat(picture.format);
    return picture.color_range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P ||
           format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
}

/// x × (255 − alpha) / 255, rounded.
int faded(int x, int alpha)
{
    return (x * (255 - alpha) + (x >= 0 ? 127 : -127)) / 255;
}

} // namespace

bool SideBySideYuv::suits(const AVFrame& first, const AVFrame& second)
{
    return isYuv(first) && isYuv(second) && first.colorspace == second.colorspace &&
           first.width % 2 == 0 && first.height % 2 == 0 && second.width > 0 && second.height > 0;
}

SideBySideYuv::SideBySideYuv(const AVFrame& first, const AVFrame& second, const QImage& labels)
    : m_firstWidth(first.width)
    , m_colourMatrix(first.colorspace)
{
    const int width = first.width + sideBySideWidth({second.width, second.height}, first.height);
    m_size = QSize(width / 2 * 2, first.height);
    m_picture = newPicture(m_size.width(), m_size.height(), AV_PIX_FMT_YUV420P);
    if (m_picture) {
        m_picture->colorspace = AVColorSpace(m_colourMatrix);
        m_picture->color_range = AVCOL_RANGE_MPEG;
    }

    // Only the box the labels cover is blended, in whole chroma samples.
    QRect box;
    for (int y = 0; y < labels.height() && y < m_size.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(labels.constScanLine(y));
        for (int x = 0; x < labels.width() && x < m_size.width(); ++x) {
            if (qAlpha(row[x]) != 0)
                box |= QRect(x / 2 * 2, y / 2 * 2, 2, 2);
        }
    }
    m_labelBox = box & QRect(QPoint(0, 0), m_size);
    for (int y = m_labelBox.top(); y <= m_labelBox.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(labels.constScanLine(y));
        for (int x = m_labelBox.left(); x <= m_labelBox.right(); ++x) {
            m_labelAlpha.push_back(std::uint8_t(qAlpha(row[x])));
            m_labelGrey.push_back(std::uint8_t(qGreen(row[x])));
        }
    }
}

void SideBySideYuv::copyIn(const AVFrame& picture, int left, int width)
{
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? m_size.height() : (m_size.height() + 1) / 2;
        const int bytes = plane == 0 ? width : (width + 1) / 2;
        std::uint8_t* to = m_picture->data[plane] + (plane == 0 ? left : left / 2);
        for (int y = 0; y < rows; ++y)
            std::memcpy(to + std::ptrdiff_t(y) * m_picture->linesize[plane],
                        picture.data[plane] + std::ptrdiff_t(y) * picture.linesize[plane],
                        std::size_t(bytes));
    }
}

bool SideBySideYuv::place(const AVFrame& picture, int left, int width, Side& side)
{
    const int height = m_size.height();
    if (picture.format == AV_PIX_FMT_YUV420P && !isFullRange(picture) && picture.width >= width &&
        picture.height == height) {
        copyIn(picture, left, width);
        return true;
    }
    // Anything else is scaled and converted on its own first, at an aligned place.
    if (!side.scaled) {
        side.scaled = newPicture(width, height, AV_PIX_FMT_YUV420P);
        if (!side.scaled)
            return false;
    }
    side.scaler.reset(sws_getCachedContext(
        side.scaler.release(), picture.width, picture.height, AVPixelFormat(picture.format), width,
        height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!side.scaler)
        return false;
    // The same matrix on both sides: only the range and the bit depth change.
    const int* matrix = sws_getCoefficients(
        m_colourMatrix == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : m_colourMatrix);
    sws_setColorspaceDetails(side.scaler.get(), matrix, isFullRange(picture) ? 1 : 0, matrix, 0, 0,
                             1 << 16, 1 << 16);
    sws_scale(side.scaler.get(), picture.data, picture.linesize, 0, picture.height,
              side.scaled->data, side.scaled->linesize);
    copyIn(*side.scaled, left, width);
    return true;
}

void SideBySideYuv::blendLabels()
{
    // Over a picture, grey g of coverage a gives Y' = 16 + 219 g / 255 + (Y − 16)(255 − a) / 255
    // at limited range; chroma only fades towards neutral, by the cover of its four pixels.
    const int boxWidth = m_labelBox.width();
    for (int y = m_labelBox.top(); y <= m_labelBox.bottom(); ++y) {
        std::uint8_t* luma = m_picture->data[0] + std::ptrdiff_t(y) * m_picture->linesize[0];
        const std::size_t row = std::size_t(y - m_labelBox.top()) * std::size_t(boxWidth);
        for (int x = m_labelBox.left(); x <= m_labelBox.right(); ++x) {
            const std::size_t at = row + std::size_t(x - m_labelBox.left());
            const int alpha = m_labelAlpha[at];
            if (alpha == 0)
                continue;
            luma[x] = std::uint8_t(std::clamp(
                16 + (219 * m_labelGrey[at] + 127) / 255 + faded(luma[x] - 16, alpha), 0, 255));
        }
    }
    for (int y = m_labelBox.top(); y < m_labelBox.bottom(); y += 2) {
        const std::size_t row = std::size_t(y - m_labelBox.top()) * std::size_t(boxWidth);
        for (int x = m_labelBox.left(); x < m_labelBox.right(); x += 2) {
            const std::size_t at = row + std::size_t(x - m_labelBox.left());
            const int alpha = (m_labelAlpha[at] + m_labelAlpha[at + 1] +
                               m_labelAlpha[at + std::size_t(boxWidth)] +
                               m_labelAlpha[at + std::size_t(boxWidth) + 1] + 2) /
                              4;
            if (alpha == 0)
                continue;
            for (int plane = 1; plane < 3; ++plane) {
                std::uint8_t& chroma =
                    m_picture
                        ->data[plane][std::ptrdiff_t(y / 2) * m_picture->linesize[plane] + x / 2];
                chroma = std::uint8_t(128 + faded(chroma - 128, alpha));
            }
        }
    }
}

AVFrame* SideBySideYuv::compose(const AVFrame& first, const AVFrame& second)
{
    // The encoder may still hold the last picture: a new buffer then.
    if (!m_picture || av_frame_make_writable(m_picture.get()) < 0)
        return nullptr;
    if (!place(first, 0, m_firstWidth, m_first) ||
        !place(second, m_firstWidth, m_size.width() - m_firstWidth, m_second))
        return nullptr;
    if (!m_labelBox.isEmpty())
        blendLabels();
    return m_picture.get();
}

} // namespace tandemo
