#include "playback/quality_graph.h"

#include "analysis/media_facts.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

constexpr int kPlotHeight = 64;
constexpr int kMargin = 4;
constexpr int kScaleWidth = 34;

QString decibels(double psnr)
{
    if (std::isnan(psnr))
        return QStringLiteral("\u2013"); // a plane the picture has none of
    return std::isfinite(psnr) ? QString::number(psnr, 'f', 2) + " dB" : QStringLiteral("\u221e");
}

/// A curve's colour: the first rendition's the green of a single curve; the others apart from it
/// and from each other, paler while they do not show.
QColor curveColour(int index, bool showing)
{
    static const QColor colours[] = {{120, 220, 120}, {255, 190, 80},  {110, 200, 255},
                                     {230, 130, 230}, {240, 240, 120}, {160, 160, 255}};
    QColor colour = colours[index % int(std::size(colours))];
    if (!showing)
        colour.setAlpha(150);
    return colour;
}

} // namespace

void QualityGraph::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName("graphMeasures");
    for (int i = 0; i < kGraphMeasures; ++i) {
        QAction* action = menu.addAction(nameOf(Metric(i)));
        action->setCheckable(true);
        action->setChecked(int(m_metric) == i);
        connect(action, &QAction::triggered, this, [this, i] { setMetric(Metric(i)); });
    }
    menu.exec(event->globalPos());
}

QualityGraph::QualityGraph(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("qualityGraph");
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setToolTip(tr("Click the graph to go to that frame in both videos; click the line above it "
                  "to show the other measure"));
}

QSize QualityGraph::sizeHint() const
{
    return {200, heightForWidth(width())};
}

bool QualityGraph::hasHeightForWidth() const
{
    return true;
}

int QualityGraph::heightForWidth(int width) const
{
    // The plot keeps its height under a summary of as many lines as the width takes, and the
    // legend.
    const int lines = std::max(1, int(summaryLines(width).size())) + int(legendLines().size());
    return lines * fontMetrics().height() + 2 * kMargin + kPlotHeight;
}

void QualityGraph::setRenditions(const QList<RenditionMeasurement>& renditions, int showing,
                                 double duration)
{
    m_curves.clear();
    m_legend.clear();
    if (renditions.size() > 1) {
        for (const RenditionMeasurement& rendition : renditions)
            m_curves.append({QFileInfo(rendition.path).fileName(), rendition.samples,
                             summarise(rendition.samples)});
    }
    // Written once for the figures, not at every paint.
    for (const Curve& curve : m_curves) {
        m_legend << (curve.samples.isEmpty() ? tr("%1: not measured").arg(curve.name)
                                             : tr("%1: SSIM %2, PSNR %3, worst frame %4")
                                                   .arg(curve.name)
                                                   .arg(curve.summary.meanSsim, 0, 'f', 4)
                                                   .arg(decibels(curve.summary.meanPsnr))
                                                   .arg(curve.summary.worst.frame));
    }
    m_showing = std::clamp(showing, 0, std::max(0, int(renditions.size()) - 1));
    setSamples(renditions.value(m_showing).samples, duration);
}

QRect QualityGraph::legendRect() const
{
    const int lineHeight = fontMetrics().height();
    return {kMargin, summaryRect().bottom() + 1, width() - 2 * kMargin,
            int(m_curves.size()) * lineHeight};
}

QRect QualityGraph::legendLineRect(int index) const
{
    const QRect legend = legendRect();
    const int lineHeight = fontMetrics().height();
    return {legend.left(), legend.top() + index * lineHeight, legend.width(), lineHeight};
}

void QualityGraph::setSamples(const QList<QualitySample>& samples, double duration)
{
    m_samples = samples;
    m_summary = summarise(samples);
    m_scale = scaleOfSamples();
    m_duration = duration > 0 ? duration : (samples.isEmpty() ? 0 : samples.constLast().seconds);
    m_linesWidth = -1;
    updateGeometry(); // the summary may take more lines
    update();
}

void QualityGraph::setPosition(double seconds)
{
    if (std::abs(seconds - m_position) * std::max(1, width()) < 0.5 * std::max(m_duration, 1e-9))
        return; // not a pixel's move
    m_position = seconds;
    update();
}

void QualityGraph::setMetric(Metric metric)
{
    m_metric = metric;
    m_scale = scaleOfSamples();
    m_linesWidth = -1;
    updateGeometry();
    update();
}

QRect QualityGraph::summaryRect() const
{
    const int lines = std::max(1, int(shownLines().size()));
    return {kMargin, kMargin, width() - 2 * kMargin, lines * fontMetrics().height()};
}

QStringList QualityGraph::summaryLines(int graphWidth) const
{
    // Broken between its parts, never inside one: each figure is read whole.
    const int width = std::max(1, graphWidth - 2 * kMargin);
    QStringList lines;
    for (const QString& part : summaryText().split(QStringLiteral(" \u00b7 "))) {
        const QString joined = lines.isEmpty() ? part : lines.constLast() + " \u00b7 " + part;
        if (!lines.isEmpty() && fontMetrics().horizontalAdvance(joined) <= width)
            lines.last() = joined;
        else
            lines << fontMetrics().elidedText(part, Qt::ElideRight, width);
    }
    return lines;
}

const QStringList& QualityGraph::shownLines() const
{
    // Laid out once for the figures and the width, not for every point the plot places.
    if (m_linesWidth != width()) {
        m_lines = summaryLines(width());
        m_linesWidth = width();
    }
    return m_lines;
}

QRect QualityGraph::plotRect() const
{
    const int top = (m_curves.isEmpty() ? summaryRect() : legendRect()).bottom() + kMargin;
    return QRect(QPoint(kMargin + kScaleWidth, top),
                 QPoint(width() - 1 - kMargin, height() - 1 - kMargin));
}

QString QualityGraph::summaryText() const
{
    if (m_samples.isEmpty())
        return {};
    const QString other = m_metric == Metric::Psnr ? tr("SSIM") : tr("PSNR");
    // Only the stretch both videos have is compared: the line says how long it is.
    return tr("SSIM %1 on average, worst %2 at frame %3 (%4) \u00b7 PSNR %5 on average \u00b7 "
              "over the %6 both have \u00b7 show %7")
        .arg(m_summary.meanSsim, 0, 'f', 4)
        .arg(m_summary.worst.ssim, 0, 'f', 4)
        .arg(m_summary.worst.frame)
        .arg(formatPreciseTime(m_summary.worst.seconds))
        .arg(decibels(m_summary.meanPsnr), formatPreciseTime(comparedSeconds(m_samples)), other);
}

QString QualityGraph::shownSummary() const
{
    return shownLines().join(u'\n');
}

QString QualityGraph::pointedText() const
{
    if (!m_pointerX || m_samples.isEmpty())
        return {};
    const QualitySample* sample = sampleNearest(secondsAt(*m_pointerX));
    QString text = tr("Frame %1: SSIM %2, PSNR %3")
                       .arg(sample->frame)
                       .arg(sample->ssim, 0, 'f', 4)
                       .arg(decibels(sample->psnr));
    // The measure plotted, where it is another.
    if (m_metric != Metric::Ssim && m_metric != Metric::Psnr) {
        const double value = valueOf(*sample, m_metric);
        text += QStringLiteral(", %1 %2").arg(
            nameOf(m_metric),
            isDecibels(m_metric) ? decibels(value) : QString::number(value, 'f', 4));
    }
    return text;
}

double QualityGraph::secondsAt(int x) const
{
    const QRect plot = plotRect();
    return std::clamp(double(x - plot.left()) / std::max(1, plot.width()), 0.0, 1.0) * m_duration;
}

int QualityGraph::xOf(double seconds) const
{
    const QRect plot = plotRect();
    return plot.left() + int(std::lround(m_duration > 0 ? seconds / m_duration * plot.width() : 0));
}

std::pair<double, double> QualityGraph::scaleOfSamples() const
{
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    // Every curve within the scale.
    QList<const QList<QualitySample>*> all{&m_samples};
    for (const Curve& curve : m_curves)
        all << &curve.samples;
    for (const QList<QualitySample>* samples : all) {
        for (const QualitySample& sample : *samples) {
            if (const double value = valueOf(sample, m_metric); std::isfinite(value)) {
                lowest = std::min(lowest, value);
                highest = std::max(highest, value);
            }
        }
    }
    return scaleOf(m_metric, lowest, highest);
}

const QualitySample* QualityGraph::sampleNearest(double seconds) const
{
    // To the frame nearest, exactly: a pixel spans several frames.
    const auto nearer = [seconds](const QualitySample& a, const QualitySample& b) {
        return std::abs(a.seconds - seconds) < std::abs(b.seconds - seconds);
    };
    return &*std::min_element(m_samples.begin(), m_samples.end(), nearer);
}

void QualityGraph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 200));
    if (m_samples.isEmpty())
        return;
    const QRect plot = plotRect();
    const auto [bottom, top] = m_scale;
    const auto yOf = [&, bottom = bottom, top = top](double value) {
        const double share = std::isfinite(value) ? (value - bottom) / std::max(1e-9, top - bottom)
                                                  : 1.0; // equal frames: at the top
        return plot.top() + (1 - std::clamp(share, 0.0, 1.0)) * plot.height();
    };
    const QString name = nameOf(m_metric);
    const auto label = [&](double value) {
        return isDecibels(m_metric) ? QString::number(value, 'f', 0)
                                    : QString::number(value, 'f', 2);
    };

    painter.setPen(QColor(230, 230, 230));
    painter.drawText(summaryRect(), Qt::AlignLeft | Qt::AlignTop, shownSummary());
    // The scale: the metric's name, its top and bottom values.
    const QRect scaleRect(kMargin, plot.top(), kScaleWidth - 4, plot.height());
    painter.setPen(QColor(180, 180, 180));
    painter.drawText(scaleRect, Qt::AlignRight | Qt::AlignTop, label(top));
    painter.drawText(scaleRect, Qt::AlignRight | Qt::AlignVCenter, name);
    painter.drawText(scaleRect, Qt::AlignRight | Qt::AlignBottom, label(bottom));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(plot.adjusted(0, 0, -1, -1));

    const auto pathOf = [&](const QList<QualitySample>& samples) {
        QPainterPath line;
        if (samples.isEmpty())
            return line;
        line.moveTo(xOf(samples.constFirst().seconds),
                    yOf(valueOf(samples.constFirst(), m_metric)));
        for (const QualitySample& sample : samples)
            line.lineTo(xOf(sample.seconds), yOf(valueOf(sample, m_metric)));
        return line;
    };
    // The legend: a line each, in its curve's colour, the one showing bold.
    for (int i = 0; i < m_curves.size(); ++i) {
        QFont font = painter.font();
        font.setBold(i == m_showing);
        painter.setFont(font);
        painter.setPen(curveColour(i, i == m_showing));
        painter.drawText(
            legendLineRect(i), Qt::AlignLeft | Qt::AlignVCenter,
            fontMetrics().elidedText(legendLines()[i], Qt::ElideMiddle, legendRect().width()));
    }
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(plot);
    for (int i = 0; i < m_curves.size(); ++i) {
        if (i != m_showing) {
            painter.setPen(QPen(curveColour(i, false), 1));
            painter.drawPath(pathOf(m_curves[i].samples));
        }
    }
    painter.setPen(QPen(curveColour(m_showing, true), 1.5));
    painter.drawPath(pathOf(m_samples));
    // The average across, dashed.
    const double average = averageOf(m_summary, m_metric);
    painter.setPen(QPen(QColor(120, 170, 255), 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), yOf(average)), QPointF(plot.right(), yOf(average)));
    // The worst frame, ringed and named.
    const QPointF worst(xOf(m_summary.worst.seconds), yOf(valueOf(m_summary.worst, m_metric)));
    painter.setPen(QPen(QColor(255, 90, 90), 1.5));
    painter.drawEllipse(worst, 4, 4);
    const QString worstName = tr("worst: frame %1").arg(m_summary.worst.frame);
    const int nameWidth = fontMetrics().horizontalAdvance(worstName);
    const double nameLeft =
        worst.x() + 7 + nameWidth < plot.right() ? worst.x() + 7 : worst.x() - 7 - nameWidth;
    const QPointF nameAt(nameLeft, std::max(worst.y() - 4, plot.top() + 12.0));
    painter.drawText(nameAt, worstName);
    const QRectF nameBox(nameAt.x(), nameAt.y() - fontMetrics().ascent(), nameWidth,
                         fontMetrics().height());
    // The frame showing, and the frame under the pointer with its figures.
    painter.setPen(Qt::white);
    painter.drawLine(xOf(m_position), plot.top(), xOf(m_position), plot.bottom());
    if (m_pointerX) {
        painter.setPen(QPen(QColor(255, 255, 255, 120), 1, Qt::DotLine));
        painter.drawLine(*m_pointerX, plot.top(), *m_pointerX, plot.bottom());
        painter.setPen(Qt::white);
        // In a bottom corner, the one clear of the worst frame's name.
        const QRect room = plot.adjusted(4, 2, -4, -2);
        const QString pointed = pointedText();
        Qt::Alignment corner = Qt::AlignRight | Qt::AlignBottom;
        if (fontMetrics().boundingRect(room, int(corner), pointed).intersects(nameBox.toRect()))
            corner = Qt::AlignLeft | Qt::AlignBottom;
        painter.drawText(room, int(corner), pointed);
    }
}

void QualityGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_samples.isEmpty())
        return;
    const QPoint at = event->position().toPoint();
    for (int i = 0; i < m_curves.size(); ++i) {
        if (legendLineRect(i).contains(at)) {
            emit renditionRequested(i);
            return;
        }
    }
    if (at.y() <= summaryRect().bottom()) {
        setMetric(m_metric == Metric::Psnr ? Metric::Ssim : Metric::Psnr);
        return;
    }
    emit seekRequested(sampleNearest(secondsAt(at.x()))->seconds);
}

void QualityGraph::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    m_pointerX = plotRect().contains(event->position().toPoint()) ? std::optional(x) : std::nullopt;
    update();
}

void QualityGraph::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_pointerX.reset();
    update();
}

} // namespace tandemo
