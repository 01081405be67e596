#include "playback/difference_measurement.h"

#include "session/perform.h"

#include "playback/quality_graph.h"
#include "playback/transport_bar.h"
#include "session/player_actions.h"

namespace tandemo {

namespace {

// How long the bar says how the measuring ended.
constexpr int kSummaryShownMs = 10000;

} // namespace

DifferenceMeasurement::DifferenceMeasurement(Comparison& comparison, PlayerActions& first,
                                             TransportBar& bar, QualityGraph& graph,
                                             QObject* parent)
    : QObject(parent)
    , m_comparison(&comparison)
    , m_first(&first)
    , m_bar(bar)
    , m_graph(graph)
{
    connect(&comparison, &Comparison::measuringProgressed, this, [this](double share) {
        say(tr("Measuring the difference: %1 %").arg(int(share * 100)), false);
    });
    connect(&comparison, &Comparison::measured, this, &DifferenceMeasurement::showOutcome);
    connect(&comparison, &Comparison::measuringChanged, this, [this] {
        if (m_comparison && (m_comparison->isMeasuring() || m_comparison->allResults().isEmpty()))
            m_graph.hide();
    });
    // A click on a rendition's legend shows it; shown from anywhere, its curve is the strong one.
    connect(&graph, &QualityGraph::renditionRequested, this, [this](int index) {
        if (m_first)
            perform(*m_first, {PlayerCommand::ShowRendition, double(index)});
    });
    connect(&comparison.renditions(), &Renditions::shown, this, [this] {
        if (m_comparison && !m_comparison->isMeasuring() && !m_comparison->allResults().isEmpty())
            showResults();
    });
    connect(&graph, &QualityGraph::seekRequested, this, [this](double seconds) {
        if (m_first)
            m_first->seekTo(seconds);
    });
    connect(&first.engine(), &PlaybackEngine::positionChanged, &graph, &QualityGraph::setPosition);
    if (comparison.isMeasuring())
        say(tr("Measuring the difference: %1 %").arg(0), false);
    else if (!comparison.allResults().isEmpty())
        showOutcome(Comparison::Measured::Complete);
}

void DifferenceMeasurement::showOutcome(Comparison::Measured outcome)
{
    switch (outcome) {
    case Comparison::Measured::Complete:
        showResults();
        break;
    case Comparison::Measured::NoFrames:
        say(tr("No frames to compare"), true);
        break;
    case Comparison::Measured::Unreadable:
        say(tr("Cannot measure the difference of these videos"), true);
        break;
    case Comparison::Measured::Stopped:
        say(tr("Measuring stopped"), true);
        break;
    }
}

void DifferenceMeasurement::showResults()
{
    if (!m_comparison || !m_first)
        return;
    // The summary stays on the graph for as long as the figures do; the bar shows the time.
    m_graph.setRenditions(m_comparison->allResults(), m_comparison->showingRendition(),
                          m_first->engine().duration());
    m_graph.setPosition(m_first->engine().position());
    m_graph.show();
    say(QString(), false);
}

void DifferenceMeasurement::say(const QString& text, bool forAWhile)
{
    if (forAWhile)
        m_bar.setStatusForAWhile(text, kSummaryShownMs);
    else
        m_bar.setStatus(text);
}

} // namespace tandemo
