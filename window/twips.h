#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace tandemo {

/// A position and size in twips (1/1440 inch), the unit the window's geometry is defined in.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

/// Converts between twips and whole device-independent pixels through a screen's logical DPI
/// (15 twips per pixel at 96 DPI).
class TwipsScale {
public:
    static constexpr double kTwipsPerInch = 1440.0;

    explicit TwipsScale(double logicalDpiX = 96.0, double logicalDpiY = 96.0);

    double twipsPerPixelX() const { return kTwipsPerInch / m_dpiX; }
    double twipsPerPixelY() const { return kTwipsPerInch / m_dpiY; }

    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QSize toPixels(double widthTwips, double heightTwips) const;
    QRect toPixels(const TwipsRect& twips) const;

    double toTwipsX(int pixels) const { return pixels * twipsPerPixelX(); }
    double toTwipsY(int pixels) const { return pixels * twipsPerPixelY(); }
    TwipsRect toTwips(const QRect& pixels) const;

private:
    double m_dpiX;
    double m_dpiY;
};

} // namespace tandemo
