#include "session/comparison.h"

#include "session/player_link.h"
#include "session/tone_mapping.h"

#include "platform/file_names.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tandemo {

namespace {

/// The files two panes opened and judged, held for work in the background, and names that reach
/// those very files while they are held (a pane's own name where it holds none).
struct HeldFiles {
    std::array<QString, 2> names;
    std::shared_ptr<const void> holding;
};

HeldFiles heldFilesOf(const PlaybackEngine& first, const PlaybackEngine& second)
{
    auto files = std::make_shared<std::array<RegularFile, 2>>();
    (*files)[0] = first.openedFile();
    (*files)[1] = second.openedFile();
    HeldFiles held{{first.file(), second.file()}, files};
    for (std::size_t i = 0; i < 2; ++i) {
        if ((*files)[i].isOpen())
            held.names[i] = decodeFileName((*files)[i].heldName());
    }
    return held;
}

} // namespace

Comparison::Comparison(const Panes& panes, PlayerLink& link, Renditions& renditions,
                       ToneMapping* toneMapping, QObject* parent)
    : QObject(parent)
    , m_toneMapping(toneMapping)
    , m_panes(panes)
    , m_link(link)
    , m_renditions(renditions)
    , m_inspector(panes)
{
    // A new file in any pane: the figures and a search under way were for the one before.
    connect(&panes, &Panes::added, this, [this](int, PlaybackEngine* engine) {
        connect(engine, &PlaybackEngine::loadStarted, this, [this] {
            cancelAlignment();
            dropResults();
        });
    });
    connect(&panes, &Panes::removed, this,
            [this](const PlaybackEngine* engine) { m_views.remove(engine); });
    connect(&m_viewState, &ComparisonViewState::changed, this, &Comparison::lookChanged);
    connect(&m_measure, &QualityMeasure::progressed, this, &Comparison::measuringProgressed);
    connect(&m_measure, &QualityMeasure::finished, this, [this](bool complete) {
        emit measuringChanged();
        m_results = m_measure.results();
        for (int i = 0; i < m_results.size(); ++i)
            m_results[i].path = m_measuredFiles.value(i, m_results[i].path);
        bool anyCompared = false;
        bool anyFrames = false;
        for (const RenditionMeasurement& rendition : m_results) {
            anyCompared = anyCompared || rendition.compared;
            anyFrames = anyFrames || !rendition.samples.isEmpty();
        }
        emit measured(!complete || !anyCompared ? Measured::Unreadable
                      : !anyFrames              ? Measured::NoFrames
                                                : Measured::Complete);
    });
    // Another rendition showing: a search under way was for the one before.
    connect(&renditions, &Renditions::shown, this, &Comparison::cancelAlignment);
    // Another list of renditions: the figures were of the last one.
    connect(&panes, &Panes::filesChanged, this, [this](int pane) {
        if (pane == 1 && !m_measuredFiles.isEmpty() && m_panes.files(1) != m_measuredFiles)
            dropResults();
    });
    connect(&link, &PlayerLink::offsetChanged, this, &Comparison::onOffsetChanged);
    connect(&link, &PlayerLink::linkedChanged, this, &Comparison::onOffsetChanged);

    connect(&m_alignment, &AlignmentSearch::progressed, this, &Comparison::alignmentProgressed);
    connect(&m_export, &ComparisonExport::progressed, this, &Comparison::exportProgressed);
    connect(&m_export, &ComparisonExport::finished, this, &Comparison::exportFinished);
    connect(&m_alignment, &AlignmentSearch::finished, this,
            [this](bool compared, const AlignmentSearch::Result& result) {
                PlaybackEngine* second = pane(1);
                if (!compared || !second) {
                    emit alignmentFinished(Aligned::NothingToCompare, 0);
                } else if (!result.clear) {
                    emit alignmentFinished(Aligned::NoClearMatch, result.secondAhead);
                } else {
                    // Takes that drift apart are kept together at the second's own pace.
                    m_link.linkWithDrift(second, result.secondAhead, result.rate,
                                         m_alignOrigin ? m_alignOrigin.data() : second);
                    emit alignmentFinished(Aligned::Done, result.secondAhead);
                }
            });
}

bool Comparison::bothHoldVideos() const
{
    const PlaybackEngine* first = pane(0);
    const PlaybackEngine* second = pane(1);
    return first && second && !first->isIdle() && !second->isIdle() && !first->file().isEmpty() &&
           !second->file().isEmpty();
}

int Comparison::paneOf(const PlaybackEngine* engine) const
{
    return m_panes.paneOf(engine);
}

bool Comparison::perform(int pane, const PlayerCommand& command)
{
    switch (command.kind) {
    case PlayerCommand::ToggleWipeView:
        setShown(!m_shown, pane);
        return true;
    case PlayerCommand::SetWipeMode:
    case PlayerCommand::StepDifferenceGain:
    case PlayerCommand::AdjustOverlay:
    case PlayerCommand::FlickNow:
        if (m_shown)
            adjustLook(command);
        return true;
    case PlayerCommand::MeasureDifference:
        // Measured in the view: it shows the figures.
        setShown(true, pane);
        toggleMeasuring();
        return true;
    case PlayerCommand::CopyMeasurements:
        if (allResults().size() > 1)
            emit measurementsCopied(measurementsAsCsv(allResults()));
        else if (!results().isEmpty())
            emit measurementsCopied(measurementsAsCsv(results()));
        return true;
    case PlayerCommand::ExportComparison:
        // Said at once, before a file name is asked for.
        if (!bothHoldVideos())
            emit exportFinished(ComparisonExport::Outcome::Failed, tr("two videos are needed"));
        else
            emit exportAsked(pane);
        return true;
    case PlayerCommand::ToggleInspector:
        m_inspector.setOn(!m_inspector.isOn());
        return true;
    case PlayerCommand::ToggleLoupe:
        m_inspector.setLoupe(!m_inspector.isLoupeOn());
        return true;
    case PlayerCommand::NextScope:
        setScope(!m_scope                          ? std::optional(ScopeKind(0))
                 : int(*m_scope) + 1 < kScopeKinds ? std::optional(ScopeKind(int(*m_scope) + 1))
                                                   : std::nullopt);
        return true;
    case PlayerCommand::SwapSides:
        if (!bothHoldVideos())
            emit refused(tr("Swap Sides needs two videos"));
        else
            emit sidesSwapRequested();
        return true;
    case PlayerCommand::HearPane:
        setHeard(int(command.amount));
        return true;
    case PlayerCommand::NextRendition:
        m_renditions.showNext(pane);
        return true;
    case PlayerCommand::ShowRendition:
        m_renditions.show(m_renditions.holderFor(pane), int(command.amount));
        return true;
    case PlayerCommand::AlignBySound:
    case PlayerCommand::AlignByPicture:
        align(command.kind == PlayerCommand::AlignBySound ? AlignmentSearch::By::Sound
                                                          : AlignmentSearch::By::Picture,
              pane);
        return true;
    default:
        return false;
    }
}

void Comparison::setShown(bool shown, int origin)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown) {
        m_wasLinked = m_link.isLinked();
        m_views.clear();
        for (PlaybackEngine* engine : m_panes.engines())
            m_views.insert(engine, engine->view());
        m_link.setLinked(true, pane(origin) ? pane(origin) : pane(0));
    } else {
        for (PlaybackEngine* engine : m_panes.engines()) {
            if (m_views.contains(engine))
                engine->setView(m_views.value(engine));
        }
        if (!m_wasLinked)
            m_link.setLinked(false);
    }
    emit shownChanged(shown);
    // The view opens as it did the first time; the measurements stay.
    if (!shown)
        m_viewState.reset();
    else
        emit lookChanged();
}

void Comparison::adjustLook(const PlayerCommand& command)
{
    switch (command.kind) {
    case PlayerCommand::SetWipeMode:
        if (command.amount < 0)
            m_viewState.nextMode();
        else
            m_viewState.setMode(ComparisonLook::Mode(int(command.amount)));
        break;
    case PlayerCommand::StepDifferenceGain:
        m_viewState.stepGain();
        break;
    case PlayerCommand::AdjustOverlay:
        m_viewState.adjustOverlay(int(command.amount));
        break;
    case PlayerCommand::FlickNow:
        m_viewState.flickNow();
        break;
    default:
        break;
    }
}

void Comparison::toggleMeasuring()
{
    if (m_measure.isRunning()) {
        m_measure.cancel();
        emit measuringChanged();
        emit measured(Measured::Stopped);
        return;
    }
    PlaybackEngine* first = pane(0);
    PlaybackEngine* second = pane(1);
    if (!first || !second)
        return;
    // Each as its pane shows it, each rendition at its own offset and pace while linked (the
    // one showing at the link's).
    const HeldFiles held = heldFilesOf(*first, *second);
    m_results.clear();
    m_measuredFiles = m_panes.files(1);
    m_measuredAlignments.clear();
    const MeasuredVideo reference{held.names[0], 0, 1, first->isMirrored(), first->shownFilter()};
    QList<MeasuredVideo> renditions;
    for (int i = 0; i < m_measuredFiles.size(); ++i) {
        const bool showing = i == m_panes.showing(1);
        Renditions::Alignment alignment;
        if (m_link.isLinked())
            alignment = showing
                            ? Renditions::Alignment{m_link.offsetOf(second), m_link.rateOf(second)}
                            : m_renditions.alignmentOf(1, i);
        m_measuredAlignments << alignment;
        // One not showing is mapped as it would be shown.
        QString filter = second->shownFilter();
        if (!showing && m_toneMapping) {
            filter =
                joinedChains(m_toneMapping->chainFor(m_measuredFiles[i]), second->pictureFilter());
        }
        renditions << MeasuredVideo{showing ? held.names[1] : m_measuredFiles[i], alignment.offset,
                                    alignment.rate, second->isMirrored(), filter};
    }
    m_measure.start(reference, renditions, held.holding);
    emit measuringChanged();
    emit measuringProgressed(0);
}

QList<QualitySample> Comparison::results() const
{
    const QList<RenditionMeasurement>& all = m_results;
    return all.size() == 1 ? all.constFirst().samples : all.value(showingRendition()).samples;
}

void Comparison::dropResults()
{
    if (!m_measure.isRunning() && allResults().isEmpty())
        return;
    m_measuredFiles.clear();
    m_results.clear();
    m_measure.clear();
    emit measuringChanged();
}

void Comparison::onOffsetChanged()
{
    // Unlinked, the panes are apart by no offset at all: the figures stay for when they are
    // linked again.
    const PlaybackEngine* second = pane(1);
    if (!second || !m_link.isLinked() || m_measuredAlignments.isEmpty())
        return;
    const Renditions::Alignment measured =
        m_measuredAlignments.value(m_measuredAlignments.size() == 1 ? 0 : showingRendition());
    if (std::abs(m_link.offsetOf(second) - measured.offset) > 1e-9 ||
        std::abs(m_link.rateOf(second) - measured.rate) > 1e-9)
        dropResults();
}

void Comparison::align(AlignmentSearch::By by, int origin)
{
    PlaybackEngine* first = pane(0);
    PlaybackEngine* second = pane(1);
    if (!first || !second || first->isIdle() || second->isIdle()) {
        emit alignmentFinished(Aligned::NothingToCompare, 0);
        return;
    }
    m_alignOrigin = pane(origin);
    const HeldFiles held = heldFilesOf(*first, *second);
    // By picture, each as its pane filters it.
    m_alignment.start(
        by, {held.names[0], first->position(), first->duration(), first->shownFilter()},
        {held.names[1], second->position(), second->duration(), second->shownFilter()},
        held.holding);
    emit alignmentProgressed(0);
}

void Comparison::cancelAlignment()
{
    if (!m_alignment.isRunning())
        return;
    m_alignment.cancel();
    emit alignmentCancelled();
}

void Comparison::setHeard(int pane)
{
    m_heard = pane >= 0 && pane < m_panes.count() ? pane : -1;
    for (int i = 0; i < m_panes.count(); ++i) {
        if (PlaybackEngine* engine = m_panes.engine(i))
            engine->setSilenced(m_heard >= 0 && i != m_heard);
    }
    emit heardChanged(m_heard);
}

void Comparison::setScope(std::optional<ScopeKind> kind)
{
    if (kind == m_scope)
        return;
    m_scope = kind;
    m_inspector.setScopes(kind.has_value());
    emit scopeChanged();
}

void Comparison::inspectAt(QPointF at)
{
    m_inspector.inspect(at);
}

ExportLayout Comparison::shownLayout() const
{
    return m_shown ? m_viewState.layout() : ExportLayout::SideBySide;
}

void Comparison::exportTo(ExportLayout layout, const QString& destination)
{
    const PlaybackEngine* first = pane(0);
    const PlaybackEngine* second = pane(1);
    if (!first || !second || first->file().isEmpty() || second->file().isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit exportFinished(ComparisonExport::Outcome::Failed, tr("two videos are needed"));
            },
            Qt::QueuedConnection);
        return;
    }
    ComparisonExport::Plan plan;
    plan.layout = layout;
    const HeldFiles held = heldFilesOf(*first, *second);
    plan.files = held.names;
    plan.holding = held.holding;
    plan.labels = {QFileInfo(first->file()).fileName(), QFileInfo(second->file()).fileName()};
    plan.mirrored = {first->isMirrored(), second->isMirrored()};
    plan.filters = {first->shownFilter(), second->shownFilter()};
    if (m_link.isLinked()) {
        plan.secondAhead = m_link.offsetOf(second);
        plan.rate = m_link.rateOf(second);
    }
    plan.passage = first->passage();
    plan.heard = m_heard;
    plan.look = m_shown ? look() : ComparisonLook{};
    plan.destination = destination;
    m_export.start(plan);
}

} // namespace tandemo
