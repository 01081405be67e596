#pragma once

#include <QString>

namespace tandemo {

/// The user's folder for pictures, made if missing: the one the desktop's user-dirs.dirs names
/// (XDG_PICTURES_DIR there), else ~/Pictures. Never the home folder itself; empty when neither
/// is a folder that can be used.
QString picturesFolder();

} // namespace tandemo
