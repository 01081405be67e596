#include "video/gl_canvas.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <utility>

namespace tandemo {

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

GlCanvas::GlCanvas(NativeDisplays displays, MakeContext makeContext)
    : m_surface(std::make_unique<QOffscreenSurface>())
    , m_displays(displays)
    , m_makeContext(std::move(makeContext))
{
    m_surface->create();
}

// The GL objects went with stop(), on the render thread.
GlCanvas::~GlCanvas() = default;

bool GlCanvas::start()
{
    // Made here, the context belongs to this thread, the only one it may be current on.
    m_gl = std::make_unique<QOpenGLContext>();
    m_gl->setFormat(m_surface->format());
    if (!m_surface->isValid() || !m_gl->create() || !m_gl->makeCurrent(m_surface.get()))
        return false;
    m_context = m_makeContext(OpenGLSetUp{&getProcAddress, m_displays.x11, m_displays.wayland});
    return m_context != nullptr;
}

void GlCanvas::stop()
{
    // The engine frees its GL objects, and so do the framebuffers: the context must be current.
    if (m_gl && m_gl->makeCurrent(m_surface.get())) {
        m_context.reset();
        for (Picture& picture : m_pictures)
            picture.framebuffer.reset();
        m_gl->doneCurrent();
    }
    m_gl.reset();
}

QSize GlCanvas::size(Role role) const
{
    const auto& framebuffer = m_pictures[role].framebuffer;
    return framebuffer ? framebuffer->size() : QSize();
}

RenderContext::Picture GlCanvas::picture(Role role, QSize size)
{
    auto& framebuffer = m_pictures[role].framebuffer;
    if (!framebuffer || framebuffer->size() != size)
        framebuffer = std::make_unique<QOpenGLFramebufferObject>(size);
    RenderContext::Picture picture;
    picture.size = size;
    picture.framebuffer = framebuffer->handle();
    return picture;
}

void GlCanvas::finish(Role role, bool outside)
{
    Picture& picture = m_pictures[role];
    if (!picture.framebuffer)
        return;
    QOpenGLFunctions* gl = m_gl->functions();
    const QSize size = picture.framebuffer->size();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, picture.framebuffer->handle());
    if (outside) {
        // The video's alpha is left as the engine drew it, and a store that keeps alpha would
        // show it as a hole: it is made opaque, by GL.
        gl->glDisable(GL_SCISSOR_TEST);
        gl->glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    // The engine drew the picture's top row at the framebuffer's first, which is read first.
    const bool es = m_gl->isOpenGLES();
    const QImage::Format format = es ? QImage::Format_RGBX8888 : QImage::Format_RGB32;
    if (picture.pixels.size() != size || picture.pixels.format() != format)
        picture.pixels = QImage(size, format);
    gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl->glReadPixels(0, 0, size.width(), size.height(), es ? GL_RGBA : GL_BGRA, GL_UNSIGNED_BYTE,
                     picture.pixels.bits());
    gl->glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GlCanvas::swap(Role a, Role b)
{
    std::swap(m_pictures[a], m_pictures[b]);
}

QImage GlCanvas::image(Role role) const
{
    const QImage& pixels = m_pictures[role].pixels;
    // A view of the pixels, not a second owner: the next read-back writes them in place.
    return pixels.isNull() ? QImage()
                           : QImage(pixels.constBits(), pixels.width(), pixels.height(),
                                    pixels.bytesPerLine(), pixels.format());
}

} // namespace tandemo
