#include "video/render_path.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QStringList>

Q_LOGGING_CATEGORY(lcRenderPath, "tandemo.render", QtInfoMsg)

namespace tandemo {

namespace {

// Set when Qt was told not to load its GL integration: there is then nothing to probe.
bool g_glSkipped = false;

std::optional<QString> probeGlRenderer()
{
    QOpenGLContext context;
    if (!context.create())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return std::nullopt;
    const auto* renderer =
        reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    QString name = renderer ? QString::fromLatin1(renderer) : QString();
    context.doneCurrent();
    return name;
}

} // namespace

bool platformDrawsWithGl(const QString& qtPlatform)
{
    // Platforms without a window system, where Qt's GL support is partial at best (a GL widget
    // on the offscreen one prints "not supported" and then crashes).
    static const QStringList platforms{"offscreen", "minimal", "vnc", "linuxfb"};
    return !platforms.contains(qtPlatform, Qt::CaseInsensitive);
}

bool isSoftwareGlRenderer(const QString& renderer)
{
    static const QStringList softwareRenderers{"llvmpipe", "softpipe", "swrast",
                                               "software rasterizer", "microsoft basic render"};
    for (const QString& name : softwareRenderers) {
        if (renderer.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

RenderPath chooseRenderPath(const QString& qtPlatform, const std::optional<QString>& glRenderer)
{
    if (!platformDrawsWithGl(qtPlatform) || !glRenderer || glRenderer->isEmpty())
        return RenderPath::Software;
    return isSoftwareGlRenderer(*glRenderer) ? RenderPath::Software : RenderPath::OpenGL;
}

RenderPath detectRenderPath()
{
    static const RenderPath path = [] {
        const QString platform = QGuiApplication::platformName();
        // Never make a GL context where the platform has no window system: the probe may fail
        // there, and the answer is known anyway.
        const std::optional<QString> renderer =
            !platformDrawsWithGl(platform) || g_glSkipped ? std::nullopt : probeGlRenderer();
        const RenderPath chosen = chooseRenderPath(platform, renderer);
        qCDebug(lcRenderPath).noquote()
            << "video render path:" << renderPathName(chosen) << "(Qt platform" << platform
            << ", GL renderer" << renderer.value_or(QStringLiteral("none")) + ")";
        return chosen;
    }();
    return path;
}

bool hasGpuDevice(const QString& deviceFolder)
{
    const QDir dri(deviceFolder + QStringLiteral("/dri"));
    if (!dri.entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files).isEmpty())
        return true;
    return QFileInfo::exists(deviceFolder + QStringLiteral("/nvidia0"));
}

void skipGlWithoutGpu()
{
    if (!hasGpuDevice() && !qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        g_glSkipped = true;
    }
}

QString renderPathName(RenderPath path)
{
    return path == RenderPath::OpenGL ? QStringLiteral("OpenGL") : QStringLiteral("software");
}

} // namespace tandemo
