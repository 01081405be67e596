#pragma once

#include <QIcon>

namespace tandemo {

/// The application's icon, in every size it is drawn at.
QIcon applicationIcon();

} // namespace tandemo
