#pragma once

namespace tandemo {

class Form1;
struct PlatformServices;

/// "Select Video #1": lets the user choose the video of the left player.
void Select1_Click(Form1& form, PlatformServices& platform);
/// "Select Video #2": lets the user choose the video of the right player.
void Select2_Click(Form1& form, PlatformServices& platform);

} // namespace tandemo
