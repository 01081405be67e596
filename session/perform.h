#pragma once

#include "session/player_command.h"

namespace tandemo {

class PlayerActions;
class Session;

/// Carries out a command asked for in a player, with a key, its menu or its bar: on its engine
/// (and, while linked, on the others'), or on the comparison it shares, whichever pane asked.
void perform(PlayerActions& player, const PlayerCommand& command);
/// The same, asked for in a pane of the session.
void perform(Session& session, int pane, const PlayerCommand& command);

} // namespace tandemo
