#pragma once

#include <QString>

namespace tandemo {

/// The user's folder for pictures (XDG_PICTURES_DIR, else ~/Pictures), made if missing; the
/// home folder when that cannot be made.
QString picturesFolder();

} // namespace tandemo
