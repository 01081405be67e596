#include "playback/difference_measurement.h"

#include "pair/player_link.h"
#include "playback/mpv_player.h"
#include "playback/quality_graph.h"
#include "playback/transport_bar.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cmath>

namespace tandemo {

namespace {

// How long the bar says how the measuring ended.
constexpr int kSummaryShownMs = 10000;

} // namespace

DifferenceMeasurement::DifferenceMeasurement(MpvPlayer& first, MpvPlayer& second, PlayerLink* link,
                                             TransportBar& bar, QualityGraph& graph,
                                             QObject* parent)
    : QObject(parent)
    , m_first(&first)
    , m_second(&second)
    , m_link(link)
    , m_bar(bar)
    , m_graph(graph)
{
    connect(&m_measure, &QualityMeasure::progressed, this, [this](double share) {
        say(tr("Measuring the difference: %1 %").arg(int(share * 100)), false);
    });
    connect(&m_measure, &QualityMeasure::finished, this, [this](bool complete) {
        if (!complete) {
            say(tr("Cannot measure the difference of these videos"), true);
        } else if (m_measure.samples().isEmpty()) {
            say(tr("No frames to compare"), true);
        } else {
            const QualitySummary summary = summarise(m_measure.samples());
            m_graph.setSamples(m_measure.samples(), m_first ? m_first->engine().duration() : 0);
            m_graph.show();
            // Only the stretch both videos have is compared: the bar says how long it is.
            say(tr("SSIM %1 on average, worst %2 at frame %3 (%4); PSNR %5 dB; over the %6 "
                   "both have")
                    .arg(summary.meanSsim, 0, 'f', 4)
                    .arg(summary.worst.ssim, 0, 'f', 4)
                    .arg(summary.worst.frame)
                    .arg(TransportBar::formatTime(summary.worst.seconds))
                    .arg(summary.meanPsnr, 0, 'f', 2)
                    .arg(TransportBar::formatTime(comparedSeconds(m_measure.samples()))),
                true);
        }
        emit changed();
    });
    connect(&m_graph, &QualityGraph::seekRequested, this, [this](double seconds) {
        if (m_first)
            m_first->actions().seekTo(seconds);
    });
    connect(&first.engine(), &PlaybackEngine::positionChanged, &m_graph,
            &QualityGraph::setPosition);
    // Figures of other files, or of another offset, would mislead.
    for (MpvPlayer* player : {&first, &second})
        connect(&player->engine(), &MpvEngine::fileLoaded, this, &DifferenceMeasurement::clear);
    if (link)
        connect(link, &PlayerLink::offsetChanged, this, &DifferenceMeasurement::clear);
}

void DifferenceMeasurement::toggle()
{
    if (!m_first || !m_second)
        return;
    if (m_measure.isRunning()) {
        m_measure.cancel();
        say(tr("Measuring stopped"), true);
    } else {
        const double ahead = m_link ? m_link->offsetOf(&m_second->engine()) : 0;
        m_graph.hide();
        // Each as its pane shows it.
        m_measure.start(m_first->engine().file(), m_second->engine().file(), ahead,
                        {m_first->engine().isMirrored(), m_second->engine().isMirrored()});
        say(tr("Measuring the difference: %1 %").arg(0), false);
    }
    emit changed();
}

void DifferenceMeasurement::copy() const
{
    if (hasResults())
        QGuiApplication::clipboard()->setText(measurementsAsCsv(m_measure.samples()));
}

void DifferenceMeasurement::clear()
{
    if (!m_measure.isRunning() && !hasResults())
        return;
    m_measure.clear();
    m_graph.hide();
    emit changed();
}

void DifferenceMeasurement::say(const QString& text, bool forAWhile)
{
    if (forAWhile)
        m_bar.setStatusForAWhile(text, kSummaryShownMs);
    else
        m_bar.setStatus(text);
}

} // namespace tandemo
