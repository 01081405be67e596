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

/// Pictures drawn with OpenGL, in framebuffers of a GL context of the render thread's own, and
/// read back into memory for the view as each is finished. Decoding (on a GPU) and scaling stay
/// with GL; what is read back is the pane's picture only.
class GlCanvas : public RenderCanvas {
public:
    using MakeContext = std::function<std::unique_ptr<RenderContext>(const OpenGLSetUp&)>;

    /// Made on the GUI thread. `makeContext` makes the engine's context, on the render thread,
    /// while the GUI thread waits for it to start.
    GlCanvas(NativeDisplays displays, MakeContext makeContext);
    ~GlCanvas() override;

    bool start() override;
    void stop() override;
    RenderContext* context() override { return m_context.get(); }
    QSize size(Role role) const override;
    RenderContext::Picture picture(Role role, QSize size) override;
    void finish(Role role, bool outside) override;
    void swap(Role a, Role b) override;
    QImage image(Role role) const override;

private:
    struct Picture {
        std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
        QImage pixels;
    };

    // For the thread's context to be current on; made on the GUI thread, as Qt wants.
    std::unique_ptr<QOffscreenSurface> m_surface;
    NativeDisplays m_displays;
    MakeContext m_makeContext;
    std::unique_ptr<QOpenGLContext> m_gl;
    std::unique_ptr<RenderContext> m_context;
    std::array<Picture, 4> m_pictures;
};

} // namespace tandemo
