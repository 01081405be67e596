#include "playback/passage_mark.h"

#include <QEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>

namespace tandemo {

PassageMark::PassageMark(QSlider& slider)
    : QWidget(&slider)
    , m_slider(slider)
{
    setObjectName("passage");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    slider.installEventFilter(this);
    setGeometry(slider.rect());
    hide();
}

void PassageMark::setSpan(std::optional<std::pair<int, int>> span)
{
    m_span = span;
    setVisible(span.has_value());
    update();
}

int PassageMark::xOf(int value) const
{
    // Along the groove, as the handle's middle travels.
    const int handle = m_slider.style()->pixelMetric(QStyle::PM_SliderLength, nullptr, &m_slider);
    const int travel = std::max(1, width() - handle);
    return handle / 2 +
           QStyle::sliderPositionFromValue(m_slider.minimum(), m_slider.maximum(), value, travel);
}

bool PassageMark::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_slider && event->type() == QEvent::Resize)
        setGeometry(m_slider.rect());
    return QWidget::eventFilter(watched, event);
}

void PassageMark::paintEvent(QPaintEvent*)
{
    if (!m_span)
        return;
    QPainter painter(this);
    const int from = xOf(m_span->first);
    const int to = xOf(m_span->second);
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(110);
    const int middle = height() / 2;
    painter.fillRect(QRect(QPoint(from, middle - 4), QPoint(to, middle + 4)), band);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawLine(from, 1, from, height() - 2);
    painter.drawLine(to, 1, to, height() - 2);
}

} // namespace tandemo
