#pragma once

#include <QString>

namespace tandemo {
class MpvPlayer;
}

namespace tandemo::testing {

// What a player's core says of a property, asked directly: for tests only, which may wait on
// the core as the program never does.
double mpvDouble(MpvPlayer& player, const char* property);
bool mpvFlag(MpvPlayer& player, const char* property);
QString mpvText(MpvPlayer& player, const char* property);

} // namespace tandemo::testing
