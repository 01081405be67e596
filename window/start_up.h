#pragma once

#include <QString>

namespace tandemo {

class Form1;
struct PlatformServices;

/// The window's caption, and the text the application title is cut from.
inline constexpr char kCaption[] = "Tandemo Software";
/// The optional pointer file beside the program.
inline constexpr char kCursorFile[] = "/HAND-M.CUR";
/// The one draw out of 1 to 100 that opens the maker's home page.
inline constexpr int kHomePageDraw = 7;

/// Brings the window and both players into their working state, before the window is first
/// shown: skin, caption, icon, application title, custom pointer, an occasional visit to the
/// maker's home page, and loop mode on both players. A failing step is reported and the
/// sequence goes on.
void Form_Load(Form1& form, PlatformServices& platform);

/// The application title: the caption cut at its last blank, at least once and until it is at
/// most 40 characters long.
QString appTitleFrom(const QString& caption);
void SetAppTitle(PlatformServices& platform);

/// One start in a hundred, opens the maker's home page in the browser.
void RandomHomePageVisit(PlatformServices& platform);

} // namespace tandemo
