#pragma once

namespace tandemo {

/// Tells Qt who this program is: maker, name, version and desktop entry, so that the desktop
/// shows the same facts as the installed metadata.
void applyApplicationIdentity();

} // namespace tandemo
