#include "compose/export_frames.h"

#include "analysis/decoded_picture.h"
#include "compose/comparison_paint.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <QPainter>
#include <QTransform>

#include <cstring>

namespace tandemo {

namespace {

QImage shownPicture(const AVFrame& frame, int rotation, bool mirrored)
{
    QImage image(frame.width, frame.height, QImage::Format_RGB32);
    const std::vector<std::uint8_t> rgb = convertToRgb32(frame, int(image.bytesPerLine()));
    if (image.isNull() || rgb.empty())
        return {};
    std::memcpy(image.bits(), rgb.data(), rgb.size());
    if (rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    return mirrored ? image.mirrored(true, false) : image;
}

void drawLabel(QPainter& painter, const QRect& picture, const QString& label, bool right)
{
    if (label.isEmpty())
        return;
    QFont font = painter.font();
    font.setPixelSize(std::max(12, picture.height() / 24));
    painter.setFont(font);
    const int margin = font.pixelSize() / 2;
    QRect box = painter.fontMetrics().boundingRect(label).adjusted(-margin, -margin / 2, margin,
                                                                   margin / 2);
    box.moveTop(picture.top() + margin);
    if (right)
        box.moveRight(picture.right() - margin);
    else
        box.moveLeft(picture.left() + margin);
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, label);
}

} // namespace

int sideBySideWidth(QSize second, int height)
{
    return second.height() > 0 ? std::max(1, second.width() * height / second.height()) : 1;
}

FrameCursor::FrameCursor(const QString& path, bool mirrored, const std::atomic_bool& cancelled,
                         const QString& filter)
    : m_decoder(path, cancelled, VideoDecoder::Detail::Full)
    , m_mirrored(mirrored)
{
    QString why;
    m_filtered = m_decoder.setFilter(filter, &why);
}

double FrameCursor::frameRate() const
{
    if (!isOpen())
        return 25;
    const AVStream& stream = m_decoder.stream();
    for (const AVRational rate : {stream.avg_frame_rate, stream.r_frame_rate}) {
        if (rate.num > 0 && rate.den > 0)
            return av_q2d(rate);
    }
    return 25;
}

void FrameCursor::advanceTo(double seconds)
{
    const bool behind = m_shown && m_decoder.secondsOf(*m_shown) > seconds + kFrameTimeTolerance;
    if (!m_started || behind) {
        m_decoder.seekTo(seconds);
        m_shown.reset();
        m_ahead.reset();
        m_ended = false;
        m_started = true;
    }
    while (!m_ended &&
           (!m_ahead || m_decoder.secondsOf(*m_ahead) <= seconds + kFrameTimeTolerance)) {
        if (m_ahead)
            m_shown = std::move(m_ahead);
        AVFrame* next = m_decoder.next();
        if (!next) {
            m_ended = true;
            break;
        }
        m_ahead.reset(av_frame_alloc());
        if (!m_ahead || av_frame_ref(m_ahead.get(), next) < 0) {
            m_ahead.reset();
            m_ended = true;
        }
    }
    // Before the first picture, the first shows.
    if (!m_shown && m_ahead)
        m_shown = std::move(m_ahead);
}

const AVFrame* FrameCursor::frameAt(double seconds)
{
    if (!isOpen())
        return nullptr;
    advanceTo(seconds);
    return m_shown.get();
}

QImage FrameCursor::at(double seconds)
{
    const AVFrame* frame = frameAt(seconds);
    if (!frame)
        return {};
    const double time = m_decoder.secondsOf(*frame);
    if (time != m_pictureTime || m_picture.isNull()) {
        m_picture = shownPicture(*frame, m_decoder.rotation(), m_mirrored);
        m_pictureTime = time;
    }
    return m_picture;
}

bool exportLayoutNamed(const QString& name, ExportLayout* layout)
{
    const std::pair<const char*, ExportLayout> names[] = {
        {"side-by-side", ExportLayout::SideBySide},
        {"wipe", ExportLayout::Wipe},
        {"difference", ExportLayout::Difference},
        {"onion", ExportLayout::OnionSkin}};
    for (const auto& [each, value] : names) {
        if (name == QLatin1String(each)) {
            *layout = value;
            return true;
        }
    }
    return false;
}

QImage composeExport(ExportLayout layout, const QImage& first, const QImage& second,
                     const ComparisonLook& look, const QString& firstLabel,
                     const QString& secondLabel)
{
    if (first.isNull() || second.isNull())
        return {};
    const int height = first.height();
    QImage picture;
    if (layout == ExportLayout::SideBySide) {
        const int secondWidth = sideBySideWidth(second.size(), height);
        picture = QImage(first.width() + secondWidth, height, QImage::Format_RGB32);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPoint(0, 0), first);
        const QRect right(first.width(), 0, secondWidth, height);
        painter.drawImage(right, second);
        drawLabel(painter, first.rect(), firstLabel, false);
        drawLabel(painter, right, secondLabel, false);
        return picture;
    }
    picture = QImage(first.size(), QImage::Format_RGB32);
    ComparisonLook laid = look;
    laid.mode = layout == ExportLayout::Difference  ? ComparisonLook::Difference
                : layout == ExportLayout::OnionSkin ? ComparisonLook::OnionSkin
                                                    : ComparisonLook::Divider;
    QPainter painter(&picture);
    const QImage fitted =
        second.size() == first.size()
            ? second
            : second.scaled(first.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    paintComparison(painter, picture.rect(), first, fitted, laid, QRectF(picture.rect()));
    drawLabel(painter, picture.rect(), firstLabel, false);
    drawLabel(painter, picture.rect(), secondLabel, true);
    return picture;
}

QImage sideBySideLabels(QSize size, int firstWidth, const QString& firstLabel,
                        const QString& secondLabel)
{
    QImage labels(size, QImage::Format_ARGB32_Premultiplied);
    labels.fill(Qt::transparent);
    QPainter painter(&labels);
    drawLabel(painter, QRect(0, 0, firstWidth, size.height()), firstLabel, false);
    drawLabel(painter, QRect(firstWidth, 0, size.width() - firstWidth, size.height()), secondLabel,
              false);
    return labels;
}

} // namespace tandemo
