#include "window/twips.h"

#include <cmath>

namespace tandemo {

TwipsScale::TwipsScale(double logicalDpiX, double logicalDpiY)
    : m_dpiX(logicalDpiX > 0 ? logicalDpiX : 96.0)
    , m_dpiY(logicalDpiY > 0 ? logicalDpiY : 96.0)
{
}

int TwipsScale::toPixelsX(double twips) const
{
    return static_cast<int>(std::lround(twips / twipsPerPixelX()));
}

int TwipsScale::toPixelsY(double twips) const
{
    return static_cast<int>(std::lround(twips / twipsPerPixelY()));
}

QSize TwipsScale::toPixels(double widthTwips, double heightTwips) const
{
    return {toPixelsX(widthTwips), toPixelsY(heightTwips)};
}

QRect TwipsScale::toPixels(const TwipsRect& twips) const
{
    // Convert the edges, not the size, so that adjacent controls stay adjacent after rounding.
    const int left = toPixelsX(twips.left);
    const int top = toPixelsY(twips.top);
    const int right = toPixelsX(twips.left + twips.width);
    const int bottom = toPixelsY(twips.top + twips.height);
    return {left, top, right - left, bottom - top};
}

TwipsRect TwipsScale::toTwips(const QRect& pixels) const
{
    return {toTwipsX(pixels.x()), toTwipsY(pixels.y()), toTwipsX(pixels.width()),
            toTwipsY(pixels.height())};
}

} // namespace tandemo
