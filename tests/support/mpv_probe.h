#pragma once

#include <QString>

struct mpv_handle;

namespace tandemo {
class MpvEngine;
class VideoPlayer;
} // namespace tandemo

namespace tandemo::testing {

/// The mpv engine a real player plays with, for what only it can tell.
MpvEngine& mpvEngineOf(VideoPlayer& player);

// What a player's core says of a property, asked directly: for tests only, which may wait on
// the core as the program never does.
double mpvDouble(VideoPlayer& player, const char* property);
bool mpvFlag(VideoPlayer& player, const char* property);
QString mpvText(VideoPlayer& player, const char* property);
/// The same, of one core of a player's engine (the waiting one too).
double mpvDouble(mpv_handle* core, const char* property);
bool mpvFlag(mpv_handle* core, const char* property);

} // namespace tandemo::testing
