#include "compose/comparison_paint.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace tandemo {

namespace {

constexpr int kAgreementGrey = 128;

} // namespace

QImage differencePicture(const QImage& first, const QImage& second, int gain)
{
    const QImage a = first.convertToFormat(QImage::Format_RGB32);
    const QImage b = second.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    QImage out(width, height, QImage::Format_RGB32);
    out.setDevicePixelRatio(first.devicePixelRatio());
    // A table per possible difference: the gain and the ceiling cost one look-up per channel.
    int lit[256];
    for (int d = 0; d < 256; ++d)
        lit[d] = std::min(255, kAgreementGrey + gain * d);
    for (int y = 0; y < height; ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        auto* po = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            po[x] = qRgb(lit[std::abs(qRed(pa[x]) - qRed(pb[x]))],
                         lit[std::abs(qGreen(pa[x]) - qGreen(pb[x]))],
                         lit[std::abs(qBlue(pa[x]) - qBlue(pb[x]))]);
        }
    }
    return out;
}

QRectF shownVideoRect(const QRectF& area, QSize size, const ViewZoom& view)
{
    if (size.isEmpty() || area.isEmpty())
        return {};
    const QSizeF fitted =
        QSizeF(size).scaled(area.size(), Qt::KeepAspectRatio) * std::exp2(std::max(view.zoom, 0.0));
    const QPointF centre =
        area.center() + QPointF(view.panX * fitted.width(), view.panY * fitted.height());
    return QRectF(centre - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
}

void paintComparison(QPainter& painter, const QRect& picture, const QImage& first,
                     const QImage& second, const ComparisonLook& look, const QRectF& video)
{
    painter.save();
    painter.setClipRect(picture);
    const QPoint origin = picture.topLeft();
    switch (look.mode) {
    case ComparisonLook::Divider: {
        const int x = picture.left() + qRound(look.divider * picture.width());
        if (!first.isNull()) {
            painter.setClipRect(
                QRect(picture.left(), picture.top(), x - picture.left(), picture.height()));
            painter.drawImage(origin, first);
        }
        if (!second.isNull()) {
            painter.setClipRect(QRect(x, picture.top(), picture.right() + 1 - x, picture.height()));
            painter.drawImage(origin, second);
        }
        painter.setClipping(false);
        painter.setPen(QColor(255, 255, 255, 160));
        const QRectF across = video.isEmpty() ? QRectF(picture) : video & QRectF(picture);
        if (!across.isEmpty())
            painter.drawLine(QPointF(x, across.top()), QPointF(x, across.bottom() - 1));
        break;
    }
    case ComparisonLook::Difference:
        if (!first.isNull() && !second.isNull())
            painter.drawImage(origin, differencePicture(first, second, look.gain));
        break;
    case ComparisonLook::OnionSkin:
        if (!first.isNull())
            painter.drawImage(origin, first);
        painter.setOpacity(look.opacity);
        if (!second.isNull())
            painter.drawImage(origin, second);
        break;
    case ComparisonLook::Flicker: {
        const QImage& shown = look.flickerShowsSecond ? second : first;
        if (!shown.isNull())
            painter.drawImage(origin, shown);
        break;
    }
    }
    painter.restore();
}

} // namespace tandemo
