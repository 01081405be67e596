#pragma once

namespace tandemo {

/// The window system's connection the application draws through, handed to the engine's GL
/// drawing so that hardware-decoded frames reach GL without a copy. At most one is set: the X
/// display on X11, the Wayland display on Wayland; neither elsewhere.
struct NativeDisplays {
    void* x11 = nullptr;
    void* wayland = nullptr;
};

/// Those of the running application (a QGuiApplication must exist).
NativeDisplays nativeDisplays();

} // namespace tandemo
