#pragma once

namespace tandemo {

class Form1;
struct PlatformServices;

/// Connects the window's events and menu commands to their handlers. The services must outlive
/// the window.
void connectEventHandlers(Form1& form, PlatformServices& platform);

} // namespace tandemo
