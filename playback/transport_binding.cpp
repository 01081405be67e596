#include "playback/transport_binding.h"

#include "platform/file_names.h"
#include "playback/player_actions.h"
#include "playback/transport_bar.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>

namespace tandemo {

namespace {

// How long the bar says where a frame was saved.
constexpr int kFrameSavedStatusMs = 6000;

QString tr(const char* text)
{
    return QCoreApplication::translate("MpvPlayer", text);
}

void showForAWhile(TransportBar* bar, const QString& status)
{
    bar->setStatus(status);
    // The time shows again after a while, unless something else was said since.
    QTimer::singleShot(kFrameSavedStatusMs, bar, [bar, status] {
        if (bar->status() == status)
            bar->setStatus(QString());
    });
}

void showEngineState(TransportBar* bar, MpvEngine* engine)
{
    const auto showPlaying = [bar, engine] {
        bar->setPlaying(!engine->isPaused() && !engine->isIdle());
    };
    showPlaying();
    bar->setDuration(engine->duration());
    bar->setPosition(engine->position());
    QObject::connect(engine, &MpvEngine::pausedChanged, bar, showPlaying);
    QObject::connect(engine, &MpvEngine::idleChanged, bar, [bar, showPlaying](bool idle) {
        showPlaying();
        if (idle) {
            bar->setPosition(0);
            bar->setDuration(0);
        }
    });
    QObject::connect(engine, &MpvEngine::positionChanged, bar, &TransportBar::setPosition);
    QObject::connect(engine, &MpvEngine::durationChanged, bar, &TransportBar::setDuration);
    QObject::connect(engine, &MpvEngine::fileLoaded, bar, [bar] { bar->setStatus(QString()); });
    QObject::connect(engine, &MpvEngine::fileFailed, bar,
                     [bar] { bar->setStatus(tr("Cannot play this file")); });
    QObject::connect(engine, &MpvEngine::frameSaved, bar, [bar](const QString& path, bool saved) {
        showForAWhile(bar, saved ? tr("Saved %1").arg(printableName(path))
                                 : tr("Cannot save the frame"));
    });
    QObject::connect(engine, &MpvEngine::frameSaveRefused, bar,
                     [bar] { showForAWhile(bar, tr("Still saving the last frame")); });
}

void showLink(TransportBar* bar, PlayerLink* link, MpvEngine* engine)
{
    if (!link) {
        bar->linkButton()->hide();
        return;
    }
    const auto showOffset = [bar, link, engine] {
        bar->setOffset(link->isLinked() ? link->offsetOf(engine) : 0);
    };
    bar->setLinked(link->isLinked());
    showOffset();
    QObject::connect(link, &PlayerLink::linkedChanged, bar, &TransportBar::setLinked);
    QObject::connect(link, &PlayerLink::linkedChanged, bar, showOffset);
    QObject::connect(link, &PlayerLink::offsetChanged, bar, showOffset);
    // Turned on in this bar, the link brings the other pane to this one's moment.
    QObject::connect(bar, &TransportBar::linkToggled, link,
                     [link, engine](bool linked) { link->setLinked(linked, engine); });
}

} // namespace

void bindTransportBar(TransportBar& bar, PlayerActions& player)
{
    PlayerSettings& settings = player.settings();
    bar.setVolume(settings.volume());
    bar.setMuted(settings.mute());
    QObject::connect(&settings, &PlayerSettings::volumeChanged, &bar, &TransportBar::setVolume);
    QObject::connect(&settings, &PlayerSettings::muteChanged, &bar, &TransportBar::setMuted);
    showEngineState(&bar, &player.engine());
    showLink(&bar, player.link(), &player.engine());

    QObject::connect(&bar, &TransportBar::playPauseClicked, &player,
                     &PlayerActions::togglePlayPause);
    QObject::connect(&bar, &TransportBar::stopClicked, &player, &PlayerActions::stop);
    QObject::connect(&bar, &TransportBar::muteClicked, &player, &PlayerActions::toggleMute);
    QObject::connect(&bar, &TransportBar::seekRequested, &player, [&player](double seconds) {
        // A drag with Ctrl held moves this player only.
        if (QApplication::keyboardModifiers() & Qt::ControlModifier)
            player.seekAloneTo(seconds);
        else
            player.seekTo(seconds);
    });
    QObject::connect(&bar, &TransportBar::volumeRequested, &settings, &PlayerSettings::setVolume);
}

} // namespace tandemo
