#pragma once

#include "analysis/quality_measure.h"

#include <QObject>
#include <QPointer>

namespace tandemo {

class MpvPlayer;
class PlayerLink;
class QualityGraph;
class TransportBar;

/// Measures how far the second player's video is from the first's, frame by frame, with the
/// link's offset, in the background: the progress and then the average and the worst frame in
/// the bar, the figures in the graph, whose clicks take both players there.
class DifferenceMeasurement : public QObject {
    Q_OBJECT
public:
    DifferenceMeasurement(MpvPlayer& first, MpvPlayer& second, PlayerLink* link, TransportBar& bar,
                          QualityGraph& graph, QObject* parent = nullptr);

    /// Starts measuring, or stops the measuring under way.
    void toggle();
    /// Puts the figures on the clipboard, as comma-separated values.
    void copy() const;
    bool isMeasuring() const { return m_measure.isRunning(); }
    bool hasResults() const { return !m_measure.samples().isEmpty(); }
    const QualityMeasure& measure() const { return m_measure; }

signals:
    /// Measuring started, stopped or ended.
    void changed();

private:
    void say(const QString& text, bool forAWhile);
    void clear();

    QPointer<MpvPlayer> m_first;
    QPointer<MpvPlayer> m_second;
    QPointer<PlayerLink> m_link;
    TransportBar& m_bar;
    QualityGraph& m_graph;
    QualityMeasure m_measure;
};

} // namespace tandemo
