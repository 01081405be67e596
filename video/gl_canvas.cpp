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

GlCanvas::GlCanvas(QOpenGLContext& share, QOffscreenSurface& surface, NativeDisplays displays,
                   MakeContext makeContext)
    : m_share(share)
    , m_surface(surface)
    , m_displays(displays)
    , m_makeContext(std::move(makeContext))
{
}

// The GL objects went with stop(), on the render thread.
GlCanvas::~GlCanvas() = default;

bool GlCanvas::start()
{
    // Made here, the context belongs to this thread, the only one it may be current on.
    m_gl = std::make_unique<QOpenGLContext>();
    m_gl->setFormat(m_share.format());
    m_gl->setShareContext(&m_share);
    if (!m_gl->create() || !m_gl->makeCurrent(&m_surface))
        return false;
    m_context = m_makeContext(OpenGLSetUp{&getProcAddress, m_displays.x11, m_displays.wayland});
    return m_context != nullptr;
}

void GlCanvas::stop()
{
    // The engine frees its GL objects, and so do the framebuffers: the context must be current.
    if (m_gl && m_gl->makeCurrent(&m_surface)) {
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
    // The view's context draws the texture: it must be whole before it is handed over.
    m_gl->functions()->glFinish();
    Picture& picture = m_pictures[role];
    picture.readBack = outside && picture.framebuffer ? picture.framebuffer->toImage() : QImage();
}

void GlCanvas::swap(Role a, Role b)
{
    std::swap(m_pictures[a], m_pictures[b]);
}

unsigned GlCanvas::texture(Role role) const
{
    const auto& framebuffer = m_pictures[role].framebuffer;
    return framebuffer ? framebuffer->texture() : 0;
}

} // namespace tandemo
