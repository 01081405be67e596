#pragma once

#include <QString>

class QWidget;

namespace tandemo {

class Form1;
struct PlatformServices;

/// Where the optional skin lives, relative to the program's folder.
inline constexpr char kSkinFolder[] = "/x";
inline constexpr char kSkinFileName[] = "o.cjs";

/// When the skin file is beside the program, gives the window the button-face colour and hands
/// the file to the window's skin engine to restyle it; without the file nothing changes. Has no
/// error trap: a failing operation ends it and reaches the caller.
void ApplySkin(Form1& form, PlatformServices& platform);

/// Whether a control is one of the kinds whose background follows the window's skin colour:
/// option buttons, check boxes, frames and labels.
bool takesSkinBackColour(const QWidget& control);

} // namespace tandemo
