#pragma once

#include "video/render_path.h"

#include <QString>

#include <cstring>
#include <optional>

namespace tandemo {

/// Starts GL the way the program does (skipGlWithoutGpu), unless the command line forces the
/// OpenGL path with "--path gl", which needs Qt's GL integration. Call before QApplication.
inline void chooseGlLikeTheProgram(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const bool pathGl = std::strcmp(argv[i], "--path=gl") == 0 ||
                            (std::strcmp(argv[i], "--path") == 0 && i + 1 < argc &&
                             std::strcmp(argv[i + 1], "gl") == 0);
        if (pathGl)
            return;
    }
    skipGlWithoutGpu();
}

/// The render path a "--path" value asks for: gl, software, or anything else for the automatic
/// choice.
inline std::optional<RenderPath> renderPathOption(const QString& value)
{
    if (value == QLatin1String("gl"))
        return RenderPath::OpenGL;
    if (value == QLatin1String("software"))
        return RenderPath::Software;
    return std::nullopt;
}

} // namespace tandemo
