#pragma once

#include <QStringList>

#include "session/perform.h"
#include "session/player_command.h"

#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace tandemo {

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
    bool fullScreen = false;
    /// Whether the player loops a passage, shows its picture mirrored; whose sound is heard
    /// (a pane, or -1 for both).
    bool passage = false;
    bool mirrored = false;
    int heard = -1;
    /// Whether the pixel under the pointer is inspected.
    bool inspecting = false;
    /// In the wipe view: how it lays the pictures over each other, and its measurements.
    int wipeMode = 0;
    bool measuring = false;
    bool measured = false;
    /// The renditions' names, where a pane holds several, and which shows.
    QStringList renditions;
    int showingRendition = 0;
    /// The filter chain the pane's pictures go through (empty: none).
    QString filter;
    /// An HDR video shows: the peak its mapping assumes now, and the one chosen (0: its own).
    double hdrPeak = 0;
    std::optional<double> chosenHdrPeak;
};

/// The player's right-click menu. Each action carries its command, read back with
/// commandOf(action) when the menu reports what was triggered.
std::unique_ptr<QMenu> createPlayerMenu(const PlayerMenuState& state);
std::optional<PlayerCommand> commandOf(const QAction* action);

class PlayerActions;
/// The player's menu as it would pop up now, its actions carried out on the player.
std::unique_ptr<QMenu> createContextMenu(PlayerActions& player);

} // namespace tandemo
