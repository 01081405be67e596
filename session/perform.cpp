#include "session/perform.h"

#include "session/player_actions.h"
#include "session/session.h"
#include "session/tone_mapping.h"

namespace tandemo {

void perform(PlayerActions& player, const PlayerCommand& command)
{
    // What the panes share is the comparison's to carry out, whichever pane asked.
    if (Comparison* comparison = player.comparison()) {
        if (comparison->perform(player.pane(), command))
            return;
    }
    switch (command.kind) {
    case PlayerCommand::PlayPause:
        player.togglePlayPause();
        break;
    case PlayerCommand::Stop:
        player.stop();
        break;
    case PlayerCommand::SeekBy:
        player.seekBy(command.amount);
        break;
    case PlayerCommand::SeekAloneBy:
        player.seekAloneBy(command.amount);
        break;
    case PlayerCommand::StepFrame:
        player.stepFrame(command.amount > 0);
        break;
    case PlayerCommand::StepFrameAlone:
        player.stepFrameAlone(command.amount > 0);
        break;
    case PlayerCommand::PixelForPixel:
        player.showPixelForPixel();
        break;
    case PlayerCommand::ResetZoom:
        player.resetZoom();
        break;
    case PlayerCommand::ToggleFacts:
        player.setFactsShown(!player.factsShown());
        break;
    case PlayerCommand::SaveFrames:
        player.saveFrames();
        break;
    case PlayerCommand::ToggleFullScreen:
        player.toggleFullScreen();
        break;
    case PlayerCommand::Leave:
        player.leave();
        break;
    case PlayerCommand::ShowKeys:
        player.showKeys();
        break;
    case PlayerCommand::OpenVideo:
        player.openVideo();
        break;
    case PlayerCommand::CopyMoment:
        player.copyMoment();
        break;
    case PlayerCommand::PasteMoment:
        player.pasteMoment();
        break;
    case PlayerCommand::SetFilter:
        player.setFilter(int(command.amount));
        break;
    case PlayerCommand::SetHdrPeak:
        if (Comparison* comparison = player.comparison(); comparison && comparison->toneMapping())
            comparison->toneMapping()->setChosenPeak(command.amount);
        break;
    case PlayerCommand::MarkPassageStart:
    case PlayerCommand::MarkPassageEnd:
        player.markPassage(command.kind == PlayerCommand::MarkPassageStart);
        break;
    case PlayerCommand::ClearPassage:
        player.clearPassage();
        break;
    case PlayerCommand::ToggleMirror:
        player.toggleMirror();
        break;
    case PlayerCommand::ResetOffset:
        player.resetOffset();
        break;
    case PlayerCommand::ToggleMute:
        player.toggleMute();
        break;
    case PlayerCommand::ChangeVolume:
        player.changeVolume(int(command.amount));
        break;
    case PlayerCommand::SetSpeed:
        player.setSpeed(command.amount);
        break;
    case PlayerCommand::SetLinked:
        player.setLinked(command.amount != 0);
        break;
    default:
        // The comparison's, for a player that shares none.
        break;
    }
}

void perform(Session& session, int pane, const PlayerCommand& command)
{
    // A pane that only holds a file (no one acts on it) still takes part in the comparison.
    if (PlayerActions* player = session.actionsOf(pane))
        perform(*player, command);
    else if (pane >= 0 && pane < session.paneCount())
        session.comparison().perform(pane, command);
}

} // namespace tandemo
