#pragma once

#include "analysis/quality_measure.h"

#include <QWidget>

namespace tandemo {

/// The SSIM of each frame pair across the video's length, the frame showing marked; a click
/// asks to go to that moment.
class QualityGraph : public QWidget {
    Q_OBJECT
public:
    explicit QualityGraph(QWidget* parent = nullptr);

    void setSamples(const QList<QualitySample>& samples, double duration);
    void setPosition(double seconds);
    /// The moment at a point of the graph, and the point of a moment (for tests and hints).
    double secondsAt(int x) const;
    int xOf(double seconds) const;

    QSize sizeHint() const override;

signals:
    void seekRequested(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    /// The lowest SSIM the graph shows at its bottom edge.
    double floor() const;

    QList<QualitySample> m_samples;
    double m_duration = 0;
    double m_position = 0;
};

} // namespace tandemo
