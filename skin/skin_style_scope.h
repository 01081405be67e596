#pragma once

#include <QString>

namespace tandemo {

/// The dynamic property that marks a widget a skin's style sheet may reach.
inline constexpr char kSkinnedProperty[] = "tandemoSkinned";

/// The style sheet with every rule narrowed to widgets marked with kSkinnedProperty. A style
/// sheet set on a window reaches everything inside it; narrowed, it leaves alone what the window
/// does not mark (the insides of the components it hosts). A sheet of declarations alone, which
/// Qt reads as a rule for every widget, is narrowed the same way.
QString scopedToSkinnedWidgets(const QString& styleSheet);

} // namespace tandemo
