#pragma once

#include "engine/render_context.h"
#include "video/native_displays.h"
#include "video/render_canvas.h"

#include <QImage>

#include <array>
#include <functional>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace tandemo {

/// Pictures in framebuffers of a GL context of the render thread's own, which shares its textures
/// with the view's context: the view draws them, the thread never touches the view's context.
class GlCanvas : public RenderCanvas {
public:
    using MakeContext = std::function<std::unique_ptr<RenderContext>(const OpenGLSetUp&)>;

    /// `share`: the view's context. `surface`: made on the GUI thread, for the thread's context
    /// to be current on. `makeContext` makes the engine's context, on the render thread, while
    /// the GUI thread waits for it to start.
    GlCanvas(QOpenGLContext& share, QOffscreenSurface& surface, NativeDisplays displays,
             MakeContext makeContext);
    ~GlCanvas() override;

    bool start() override;
    void stop() override;
    RenderContext* context() override { return m_context.get(); }
    QSize size(Role role) const override;
    RenderContext::Picture picture(Role role, QSize size) override;
    void finish(Role role, bool outside) override;
    void swap(Role a, Role b) override;

    /// The texture of the picture in `role`, 0 before the first.
    unsigned texture(Role role) const;
    /// Its pixels, where it was read back (see finish()).
    const QImage& image(Role role) const { return m_pictures[role].readBack; }

private:
    struct Picture {
        std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
        QImage readBack;
    };

    QOpenGLContext& m_share;
    QOffscreenSurface& m_surface;
    NativeDisplays m_displays;
    MakeContext m_makeContext;
    std::unique_ptr<QOpenGLContext> m_gl;
    std::unique_ptr<RenderContext> m_context;
    std::array<Picture, 4> m_pictures;
};

} // namespace tandemo
