#pragma once

#include "analysis/quality_measure.h"
#include "playback/graph_measure.h"

#include <QWidget>

#include <optional>

namespace tandemo {

/// The measured difference of each frame pair across the video's length, read like a graph: a
/// line of the summary at the top (the averages and the worst frame, kept for as long as the
/// figures are), the metric's name and scale, its average drawn across, the worst frame marked
/// and named, the frame showing marked, and the frame under the pointer with its SSIM and PSNR.
/// It shows SSIM or PSNR (a click on the summary line turns it to the other), or another measure
/// chosen in its menu (MSAD, each plane's SSIM and PSNR); a click on the graph asks to go to that
/// moment.
class QualityGraph : public QWidget {
    Q_OBJECT
public:
    using Metric = GraphMeasure;

    explicit QualityGraph(QWidget* parent = nullptr);

    void setSamples(const QList<QualitySample>& samples, double duration);
    /// Several renditions' figures: a curve each, with a legend line each (its name, averages
    /// and worst frame); the one showing is drawn strongest and its figures are the summary's.
    void setRenditions(const QList<RenditionMeasurement>& renditions, int showing, double duration);
    /// The legend's lines, and where each is drawn (a click there shows that rendition).
    const QStringList& legendLines() const { return m_legend; }
    QRect legendLineRect(int index) const;
    void setPosition(double seconds);
    Metric shownMetric() const { return m_metric; }
    void setMetric(Metric metric);
    /// The summary, whole, and as drawn at the top: its parts on as many lines as the graph's
    /// width takes (a line each where it is narrow), joined by line breaks.
    QString summaryText() const;
    QString shownSummary() const;
    /// What the graph says of the frame under the pointer, while it is over the graph.
    QString pointedText() const;
    /// The moment at a point of the graph, and the point of a moment (for tests and hints).
    double secondsAt(int x) const;
    int xOf(double seconds) const;
    /// Where the summary is drawn (a click there turns to the other metric).
    QRect summaryRect() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

signals:
    void seekRequested(double seconds);
    void renditionRequested(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotRect() const;
    QStringList summaryLines(int graphWidth) const;
    const QStringList& shownLines() const;
    /// The values at the plot's bottom and top edges, for the samples and the metric now.
    std::pair<double, double> scaleOfSamples() const;
    const QualitySample* sampleNearest(double seconds) const;

    QRect legendRect() const;

    QList<QualitySample> m_samples;
    struct Curve {
        QString name;
        QList<QualitySample> samples;
        QualitySummary summary;
    };
    // Every rendition's, where there are several; the showing one's are also m_samples.
    QList<Curve> m_curves;
    int m_showing = 0;
    QStringList m_legend;
    QualitySummary m_summary;
    // Worked out once for the samples and metric, not at every paint.
    std::pair<double, double> m_scale{0, 1};
    double m_duration = 0;
    // The summary's lines as laid out for a width (-1: to be laid out again).
    mutable QStringList m_lines;
    mutable int m_linesWidth = -1;
    double m_position = 0;
    Metric m_metric = Metric::Ssim;
    std::optional<int> m_pointerX;
};

} // namespace tandemo
