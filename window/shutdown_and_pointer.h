#pragma once

namespace tandemo {

class Form1;
struct PlatformServices;

/// The window is closing: the program ends at once, asking nothing and saving nothing.
void Form_Unload(PlatformServices& platform);

/// The mouse moved over the window's own client area: the pointer goes back to its default
/// shape, unless the busy shape is showing.
void Form_MouseMove(Form1& form);

} // namespace tandemo
