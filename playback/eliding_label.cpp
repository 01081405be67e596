#include "playback/eliding_label.h"

#include <QPainter>

namespace tandemo {

void ElidingLabel::setLeastWidth(int width)
{
    m_leastWidth = width;
    updateGeometry();
}

QSize ElidingLabel::minimumSizeHint() const
{
    return {std::min(m_leastWidth, sizeHint().width()), QLabel::minimumSizeHint().height()};
}

bool ElidingLabel::isElided() const
{
    return !isVisible() || fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidingLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    // What is cut can still be read whole, in the tooltip.
    setToolTip(shown == text() ? QString() : text());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, int(alignment()), shown);
}

} // namespace tandemo
