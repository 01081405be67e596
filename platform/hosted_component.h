#pragma once

class QWidget;

namespace tandemo {

/// A component hosted on a window (a video player) is one control to the window: passes over
/// the window's controls, such as a skin's recolouring, reach the component itself but leave its
/// insides to it, and it draws its controls in the desktop's font, not the window's. The window
/// marks the components it hosts.
void markHostedComponent(QWidget& component);

/// Whether the widget was marked as a hosted component.
bool isHostedComponent(const QWidget& widget);

/// Whether the widget lies inside a component hosted below `window` (the component itself is
/// not inside).
bool isInsideHostedComponent(const QWidget& widget, const QWidget& window);

} // namespace tandemo
