#include "playback/transport_binding.h"
#include "session/comparison.h"

#include "platform/file_names.h"
#include "playback/player_text.h"
#include "playback/transport_bar.h"
#include "session/player_actions.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

namespace tandemo {

namespace {

// How long the bar says where a frame was saved.
constexpr int kFrameSavedStatusMs = 6000;

void showForAWhile(TransportBar* bar, const QString& status)
{
    bar->setStatusForAWhile(status, kFrameSavedStatusMs);
}

void showEngineState(TransportBar* bar, PlaybackEngine* engine)
{
    const auto showPlaying = [bar, engine] {
        bar->setPlaying(!engine->isPaused() && !engine->isIdle());
    };
    showPlaying();
    bar->setDuration(engine->duration());
    bar->setPosition(engine->position());
    QObject::connect(engine, &PlaybackEngine::pausedChanged, bar, showPlaying);
    QObject::connect(engine, &PlaybackEngine::idleChanged, bar, [bar, showPlaying](bool idle) {
        showPlaying();
        if (idle) {
            bar->setPosition(0);
            bar->setDuration(0);
            bar->setStill(false);
        }
    });
    QObject::connect(engine, &PlaybackEngine::positionChanged, bar, &TransportBar::setPosition);
    QObject::connect(engine, &PlaybackEngine::durationChanged, bar, &TransportBar::setDuration);
    QObject::connect(engine, &PlaybackEngine::fileLoaded, bar, [bar, engine] {
        bar->setStatus(QString());
        bar->setStill(engine->isStill());
    });
    QObject::connect(engine, &PlaybackEngine::fileFailed, bar,
                     [bar] { bar->setStatus(playerText("Cannot play this file")); });
    QObject::connect(engine, &PlaybackEngine::frameSaved, bar,
                     [bar](const QString& path, bool saved) {
                         showForAWhile(bar, saved ? playerText("Saved %1").arg(printableName(path))
                                                  : playerText("Cannot save the frame"));
                     });
    QObject::connect(engine, &PlaybackEngine::frameSaveRefused, bar,
                     [bar] { showForAWhile(bar, playerText("Still saving the last frame")); });
    QObject::connect(engine, &PlaybackEngine::passageChanged, bar, [bar, engine] {
        const std::optional<Passage> passage = engine->passage();
        bar->setPassage(passage ? std::optional(std::pair{passage->start, passage->end})
                                : std::nullopt);
    });
}

void showAlignment(TransportBar* bar, Comparison* comparison)
{
    if (!comparison)
        return;
    QObject::connect(comparison, &Comparison::alignmentProgressed, bar, [bar](double share) {
        bar->setStatus(playerText("Aligning: %1 %").arg(int(share * 100)));
    });
    QObject::connect(comparison, &Comparison::alignmentCancelled, bar,
                     [bar] { showForAWhile(bar, playerText("Alignment stopped")); });
    QObject::connect(comparison, &Comparison::alignmentFinished, bar,
                     [bar, comparison](Comparison::Aligned outcome, double) {
                         const PlaybackEngine* second = comparison->pane(1);
                         const double rate = second ? comparison->link().rateOf(second) : 1.0;
                         switch (outcome) {
                         case Comparison::Aligned::Done:
                             showForAWhile(bar, rate == 1.0
                                                    ? playerText("Aligned")
                                                    : playerText("Aligned; the right video runs "
                                                                 "at %1 of the left one's pace")
                                                          .arg(rate, 0, 'f', 5));
                             break;
                         case Comparison::Aligned::NoClearMatch:
                             showForAWhile(bar, playerText("No clear match"));
                             break;
                         case Comparison::Aligned::NothingToCompare:
                             showForAWhile(bar, playerText("Nothing to align by"));
                             break;
                         }
                     });
}

void showExport(TransportBar* bar, Comparison* comparison)
{
    if (!comparison)
        return;
    QObject::connect(comparison, &Comparison::refused, bar,
                     [bar](const QString& why) { showForAWhile(bar, why); });
    QObject::connect(comparison, &Comparison::exportProgressed, bar, [bar](double share) {
        bar->setStatus(playerText("Exporting: %1 %").arg(int(share * 100)));
    });
    QObject::connect(comparison, &Comparison::exportFinished, bar,
                     [bar](ComparisonExport::Outcome outcome, const QString& detail) {
                         switch (outcome) {
                         case ComparisonExport::Outcome::Done:
                             showForAWhile(bar,
                                           playerText("Exported to %1").arg(printableName(detail)));
                             break;
                         case ComparisonExport::Outcome::Stopped:
                             showForAWhile(bar, playerText("Export stopped"));
                             break;
                         case ComparisonExport::Outcome::Failed:
                             showForAWhile(bar, playerText("Cannot export: %1").arg(detail));
                             break;
                         }
                     });
}

void showLink(TransportBar* bar, PlayerLink* link, PlaybackEngine* engine)
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
    showAlignment(&bar, player.comparison());
    showExport(&bar, player.comparison());

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
