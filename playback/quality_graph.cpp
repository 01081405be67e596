#include "playback/quality_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

constexpr int kHeight = 64;
constexpr int kMargin = 4;

} // namespace

QualityGraph::QualityGraph(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("qualityGraph");
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("SSIM of each frame pair: click to go there"));
}

QSize QualityGraph::sizeHint() const
{
    return {200, kHeight};
}

void QualityGraph::setSamples(const QList<QualitySample>& samples, double duration)
{
    m_samples = samples;
    m_duration = duration > 0 ? duration : (samples.isEmpty() ? 0 : samples.constLast().seconds);
    update();
}

void QualityGraph::setPosition(double seconds)
{
    if (std::abs(seconds - m_position) * std::max(1, width()) < 0.5 * std::max(m_duration, 1e-9))
        return; // not a pixel's move
    m_position = seconds;
    update();
}

double QualityGraph::secondsAt(int x) const
{
    const int span = std::max(1, width() - 2 * kMargin);
    return std::clamp(double(x - kMargin) / span, 0.0, 1.0) * m_duration;
}

int QualityGraph::xOf(double seconds) const
{
    const int span = std::max(1, width() - 2 * kMargin);
    return kMargin + int(std::lround(m_duration > 0 ? seconds / m_duration * span : 0));
}

double QualityGraph::floor() const
{
    // From the worst frame, rounded down to a tenth, to 1.
    double lowest = 1;
    for (const QualitySample& sample : m_samples)
        lowest = std::min(lowest, sample.ssim);
    return std::max(0.0, std::floor(lowest * 10 - 1e-9) / 10);
}

void QualityGraph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 200));
    if (m_samples.isEmpty())
        return;
    const double bottom = floor();
    const auto yOf = [&](double ssim) {
        const double share = (ssim - bottom) / std::max(1e-9, 1 - bottom);
        return kMargin + (1 - std::clamp(share, 0.0, 1.0)) * (height() - 2 * kMargin);
    };
    QPainterPath line;
    line.moveTo(xOf(m_samples.constFirst().seconds), yOf(m_samples.constFirst().ssim));
    const QualitySample* worst = &m_samples.constFirst();
    for (const QualitySample& sample : m_samples) {
        line.lineTo(xOf(sample.seconds), yOf(sample.ssim));
        if (sample.ssim < worst->ssim)
            worst = &sample;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 220, 120), 1.5));
    painter.drawPath(line);
    painter.setPen(QPen(QColor(255, 80, 80), 1));
    painter.drawEllipse(QPointF(xOf(worst->seconds), yOf(worst->ssim)), 3, 3);
    painter.setPen(Qt::white);
    painter.drawLine(xOf(m_position), 0, xOf(m_position), height());
    painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                     Qt::AlignLeft | Qt::AlignBottom, QString::number(bottom, 'f', 1));
}

void QualityGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_samples.isEmpty())
        return;
    // To the frame nearest the click, exactly: a pixel spans several frames.
    const double at = secondsAt(event->position().toPoint().x());
    const auto nearer = [at](const QualitySample& a, const QualitySample& b) {
        return std::abs(a.seconds - at) < std::abs(b.seconds - at);
    };
    emit seekRequested(std::min_element(m_samples.begin(), m_samples.end(), nearer)->seconds);
}

} // namespace tandemo
