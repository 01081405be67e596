#include "playback/player_actions.h"

#include "pair/saved_frames.h"
#include "platform/pictures_folder.h"

#include <algorithm>

namespace tandemo {

PlayerActions::PlayerActions(MpvEngine& engine, PlayerSettings& settings, PlayerPair* pair,
                             QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_settings(settings)
    , m_pair(pair)
{
}

QList<transport::Target> PlayerActions::targets() const
{
    return m_pair ? m_pair->link().targetsOf(&m_engine) : transport::alone(m_engine);
}

void PlayerActions::togglePlayPause()
{
    transport::playPause(targets());
}

void PlayerActions::stop()
{
    transport::stop(targets());
}

void PlayerActions::seekTo(double seconds)
{
    transport::seekTo(targets(), seconds);
}

void PlayerActions::seekBy(double seconds)
{
    transport::seekBy(targets(), seconds);
}

void PlayerActions::stepFrame(bool forward)
{
    transport::stepFrame(targets(), forward);
}

void PlayerActions::seekAloneTo(double seconds)
{
    if (m_engine.isIdle())
        return;
    transport::seekTo(transport::alone(m_engine), seconds);
    if (PlayerLink* link = this->link())
        link->moveAlone(&m_engine, std::max(0.0, seconds));
}

void PlayerActions::seekAloneBy(double seconds)
{
    seekAloneTo(std::max(0.0, m_engine.position() + seconds));
}

void PlayerActions::stepFrameAlone(bool forward)
{
    if (m_engine.isIdle())
        return;
    const double frame = frameDuration(m_engine);
    transport::stepFrame(transport::alone(m_engine), forward);
    // The engine steps by one frame's time from where it is.
    if (PlayerLink* link = this->link())
        link->moveAlone(&m_engine, m_engine.position() + (forward ? frame : -frame));
}

void PlayerActions::setSpeed(double speed)
{
    transport::setSpeed(targets(), speed);
}

void PlayerActions::toggleMute()
{
    m_settings.setMute(!m_settings.mute());
}

void PlayerActions::changeVolume(int step)
{
    m_settings.setVolume(m_settings.volume() + step);
}

void PlayerActions::zoomPictureAt(QPointF point, double steps, QSizeF area)
{
    if (m_engine.isIdle())
        return;
    transport::setView(targets(), transport::zoomAround(m_engine.view(), point, area,
                                                        m_engine.videoSize(), steps));
}

void PlayerActions::panPicture(QPointF delta, QSizeF area)
{
    if (m_engine.view().zoom <= 0)
        return; // the whole picture is shown: nothing to pan
    transport::setView(targets(),
                       transport::panBy(m_engine.view(), delta, area, m_engine.videoSize()));
}

void PlayerActions::resetZoom()
{
    transport::setView(targets(), ViewZoom{});
}

void PlayerActions::saveFrames()
{
    // Over each other in the wipe view, the two make one picture: that is what is saved.
    if (m_inWipeView && m_comparison.mode != 0)
        emit comparisonRequested({PlayerCommand::SaveFrames});
    else
        tandemo::saveFrames(targets(), picturesFolder());
}

void PlayerActions::setLinked(bool linked)
{
    if (PlayerLink* link = this->link())
        link->setLinked(linked, &m_engine);
}

void PlayerActions::resetOffset()
{
    if (PlayerLink* link = this->link())
        link->resetOffset(&m_engine);
}

void PlayerActions::setFactsShown(bool shown)
{
    if (shown == m_factsShown)
        return;
    m_factsShown = shown;
    emit factsShownChanged(shown);
}

void PlayerActions::toggleWipeView()
{
    if (m_pair)
        emit wipeViewRequested();
}

void PlayerActions::leave()
{
    if (m_pair && m_pair->isAligning())
        m_pair->cancelAlignment();
    else if (m_fullScreen)
        emit fullScreenRequested(false);
    else if (m_inWipeView)
        toggleWipeView();
}

void PlayerActions::adjustComparison(const PlayerCommand& command)
{
    if (!m_inWipeView && command.kind == PlayerCommand::MeasureDifference)
        toggleWipeView();
    if (m_inWipeView)
        emit comparisonRequested(command);
}

void PlayerActions::markPassage(bool start)
{
    if (m_engine.isIdle())
        return;
    transport::setPassage(targets(),
                          transport::passageMarked(m_engine, m_engine.position(), start));
}

void PlayerActions::clearPassage()
{
    transport::setPassage(targets(), std::nullopt);
}

void PlayerActions::align(AlignmentSearch::By by)
{
    if (m_pair)
        m_pair->align(by, &m_engine);
}

void PlayerActions::hear(int pane)
{
    if (m_pair)
        m_pair->setHeard(pane);
}

void PlayerActions::toggleMirror()
{
    m_engine.setMirrored(!m_engine.isMirrored());
}

} // namespace tandemo
