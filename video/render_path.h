#pragma once

#include <QString>

#include <optional>

namespace tandemo {

/// How a player gets its pictures on screen. OpenGL is cheap only with a hardware GL driver;
/// a software GL driver costs several times the CPU of the engine's own software renderer, and some
/// Qt platforms (offscreen) have no GL to draw with at all.
enum class RenderPath { OpenGL, Software };

/// False for Qt platforms without a window system, where the OpenGL path is never tried.
bool platformDrawsWithGl(const QString& qtPlatform);

/// True for GL renderers that draw on the CPU (Mesa's llvmpipe and softpipe, and the like).
bool isSoftwareGlRenderer(const QString& renderer);

/// The choice for a Qt platform and the GL renderer found there (none when no GL context could
/// be made).
RenderPath chooseRenderPath(const QString& qtPlatform, const std::optional<QString>& glRenderer);

/// The choice for this process: probed once, logged once, then remembered.
RenderPath detectRenderPath();

QString renderPathName(RenderPath path);

/// Whether the machine has a GPU device that a hardware GL driver could use (a DRM render node,
/// or NVIDIA's device), looked for under the given device folder.
bool hasGpuDevice(const QString& deviceFolder = QStringLiteral("/dev"));

/// Without a GPU device, GL could only run on the CPU, where the software path is chosen anyway:
/// tells Qt (before the application object exists) not to load its X11 GL integration at all,
/// which spares the GL driver's start-up time and memory. A choice already made in the
/// environment is kept.
void skipGlWithoutGpu();

} // namespace tandemo
