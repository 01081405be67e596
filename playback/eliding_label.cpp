#include "playback/eliding_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

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

bool ElidingLabel::event(QEvent* event)
{
    // What is cut can still be read whole, in the tooltip.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (isElided())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void ElidingLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, int(alignment()), shown);
}

} // namespace tandemo
