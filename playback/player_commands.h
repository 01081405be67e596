#pragma once

#include <QKeyCombination>

#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace tandemo {

/// Something the user asks of a player with a key or its right-click menu.
struct PlayerCommand {
    enum Kind {
        PlayPause,
        Stop,
        SeekBy,
        StepFrame,
        ToggleMute,
        ChangeVolume,
        SetSpeed,
        SetLinked,
        // The same moves on the player they are made in only, and the link's offset back to 0.
        SeekAloneBy,
        StepFrameAlone,
        ResetOffset,
        ResetZoom,
        ToggleFacts,
        // The frame showing, of every linked player.
        SaveFrames,
        // Both videos in one picture, split by a divider; again to leave it.
        ToggleWipeView,
    };
    Kind kind;
    /// Seconds to seek by, frames to step (+1 or -1), volume steps, the speed, or 1/0 for on/off.
    double amount = 0;
};

/// The command of a key pressed in a player, as in most players; none for other keys. With
/// Ctrl, the moves (arrows, "," and ".") act on that player alone.
std::optional<PlayerCommand> commandForKey(QKeyCombination key);

/// What the right-click menu shows of the player.
struct PlayerMenuState {
    bool playing = false;
    bool muted = false;
    double speed = 1.0;
    /// Whether the player can be linked with another at all, and whether it is.
    bool linkable = false;
    bool linked = false;
    /// The linked players' offset, in seconds.
    double offset = 0;
    /// Whether the picture is zoomed in.
    bool zoomed = false;
    bool factsShown = false;
    bool inWipeView = false;
};

/// The player's right-click menu. Each action carries its command, read back with
/// commandOf(action) when the menu reports what was triggered.
std::unique_ptr<QMenu> createPlayerMenu(const PlayerMenuState& state);
std::optional<PlayerCommand> commandOf(const QAction* action);

class PlayerActions;
/// Carries a command out on the player it was given in.
void performPlayerCommand(PlayerActions& player, const PlayerCommand& command);
/// The player's menu as it would pop up now, its actions carried out on the player.
std::unique_ptr<QMenu> createContextMenu(PlayerActions& player);

} // namespace tandemo
