#pragma once

#include "session/comparison.h"

#include <QObject>
#include <QPointer>

namespace tandemo {

class PlayerActions;
class QualityGraph;
class TransportBar;

/// Shows the comparison's measuring of the first player's video against the second's: the
/// progress and then the average and the worst frame in the bar, the figures in the graph, whose
/// clicks take both players there. Figures measured before it was made show at once.
class DifferenceMeasurement : public QObject {
    Q_OBJECT
public:
    /// `first`: what the user can ask of the first player, whose video the figures follow.
    DifferenceMeasurement(Comparison& comparison, PlayerActions& first, TransportBar& bar,
                          QualityGraph& graph, QObject* parent = nullptr);

private:
    void showOutcome(Comparison::Measured outcome);
    void showResults();
    void say(const QString& text, bool forAWhile);

    QPointer<Comparison> m_comparison;
    QPointer<PlayerActions> m_first;
    TransportBar& m_bar;
    QualityGraph& m_graph;
};

} // namespace tandemo
