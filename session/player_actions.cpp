#include "session/player_actions.h"

#include "platform/pictures_folder.h"
#include "session/comparison.h"
#include "session/moment_text.h"
#include "session/saved_frames.h"

#include <algorithm>

namespace tandemo {

PlayerActions::PlayerActions(PlaybackEngine& engine, PlayerSettings& settings, PlayerLink* link,
                             Comparison* comparison, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_settings(settings)
    , m_link(link)
    , m_comparison(comparison)
{
    connect(&m_filter, &PaneFilter::refused, this, &PlayerActions::said);
    connect(&m_filter, &PaneFilter::changed, this, [this] {
        if (m_comparison)
            m_comparison->filterChanged();
    });
}

void PlayerActions::copyMoment()
{
    const double at = m_engine.position();
    emit momentCopied(momentText(at, m_engine.frameNumberAt(at)));
}

bool PlayerActions::goToMoment(const QString& text)
{
    const std::optional<WrittenMoment> moment = readMoment(text);
    if (!moment) {
        emit said(tr("Not a time or a frame: %1").arg(text.left(40)));
        return false;
    }
    // The frame is the exact one where its time is known; else the time written.
    std::optional<double> at = moment->seconds;
    if (moment->frame) {
        if (const std::optional<double> start = m_engine.startOfFrame(*moment->frame))
            at = start;
        else if (!at && m_engine.frameRate() > 0)
            at = double(*moment->frame) / m_engine.frameRate();
    }
    if (!at)
        return false;
    seekTo(*at);
    return true;
}

void PlayerActions::setFilter(int kind)
{
    switch (kind) {
    case PaneFilter::CropBlackBars:
        m_filter.cropBlackBars();
        break;
    case PaneFilter::Deinterlace:
        m_filter.set(PaneFilter::kDeinterlace);
        break;
    case PaneFilter::LumaOnly:
        m_filter.set(PaneFilter::kLumaOnly);
        break;
    case PaneFilter::Custom:
        emit customFilterRequested();
        break;
    default:
        m_filter.set({});
        break;
    }
}

Comparison* PlayerActions::comparison() const
{
    return m_comparison;
}

int PlayerActions::pane() const
{
    return m_comparison ? m_comparison->paneOf(&m_engine) : -1;
}

bool PlayerActions::isInWipeView() const
{
    return m_comparison && m_comparison->isShown();
}

QList<transport::Target> PlayerActions::targets() const
{
    if (!m_link)
        return transport::alone(m_engine);
    const QList<transport::Target> targets = m_link->targetsOf(&m_engine);
    // A still has no moments of its own: asked in its pane, a linked video leads.
    if (m_engine.isStill()) {
        for (const transport::Target& target : targets) {
            if (!target.engine->isStill())
                return m_link->targetsOf(target.engine);
        }
    }
    return targets;
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
    seekAloneTo(std::max(0.0, m_engine.destination() + seconds));
}

void PlayerActions::stepFrameAlone(bool forward)
{
    if (m_engine.isIdle())
        return;
    transport::stepFrame(transport::alone(m_engine), forward);
    // Where the engine goes: one of the file's frames on, or round to the other end.
    if (PlayerLink* link = this->link())
        link->moveAlone(&m_engine, m_engine.destination());
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

void PlayerActions::setPointer(std::optional<QPointF> at, QSizeF area)
{
    m_pointer = at;
    m_area = area;
    if (at && m_comparison && m_comparison->inspector().isReading())
        m_comparison->inspectAt(
            transport::pictureAt(m_engine.view(), *at, area, m_engine.videoSize()));
}

void PlayerActions::showPixelForPixel()
{
    if (m_engine.isIdle() || m_area.isEmpty())
        return;
    const QPointF at = m_pointer.value_or(QPointF(m_area.width() / 2, m_area.height() / 2));
    transport::setView(targets(),
                       transport::pixelForPixel(m_engine.view(), at, m_area, m_engine.videoSize()));
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
    if (isInWipeView() && m_comparison->look().mode != ComparisonLook::Divider)
        emit m_comparison->shownPictureSaveRequested();
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

void PlayerActions::leave()
{
    if (m_comparison && m_comparison->isAligning())
        m_comparison->cancelAlignment();
    else if (m_comparison && m_comparison->isExporting())
        m_comparison->cancelExport();
    else if (m_fullScreen)
        emit fullScreenRequested(false);
    else if (isInWipeView())
        m_comparison->setShown(false);
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

void PlayerActions::toggleMirror()
{
    m_engine.setMirrored(!m_engine.isMirrored());
    emit mirroredChanged(m_engine.isMirrored());
}

} // namespace tandemo
