#pragma once

namespace tandemo {

class PlayerActions;
class TransportBar;

/// Makes `bar` the transport bar of `player`: it shows the player's state (playing, position,
/// length, volume, mute, what became of a file or a saved frame, the link and its offset) and
/// its requests are carried out on the player. A player may have more than one bar.
void bindTransportBar(TransportBar& bar, PlayerActions& player);

} // namespace tandemo
