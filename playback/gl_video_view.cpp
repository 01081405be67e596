#include "playback/gl_video_view.h"

#include "playback/mpv_engine.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

#include <vector>

namespace tandemo {

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

GlVideoView::GlVideoView(MpvEngine& engine, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_engine(engine)
{
}

GlVideoView::~GlVideoView()
{
    // QOpenGLWidget destroys its GL context after this body has run, when this object can no
    // longer take the call; mpv's part is freed here instead.
    if (QOpenGLContext* glContext = context())
        disconnect(glContext, nullptr, this, nullptr);
    releaseRenderContext();
}

void GlVideoView::releaseRenderContext()
{
    if (!m_context && !m_framebuffer)
        return;
    // mpv frees its GL objects, so its context must be current.
    makeCurrent();
    m_framebuffer.reset();
    m_context.reset();
    doneCurrent();
}

void GlVideoView::initializeGL()
{
    if (m_context)
        return;
    // The widget's GL context goes away with its window; free mpv's part before that happens.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &GlVideoView::releaseRenderContext, Qt::UniqueConnection);

    mpv_opengl_init_params glInit{&getProcAddress, nullptr};
    std::vector<mpv_render_param> params{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
    };
#if QT_CONFIG(xcb)
    // On X11, mpv needs the display to hand hardware-decoded frames to GL without a copy.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11->display()});
#endif
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    mpv_render_context* created = nullptr;
    if (mpv_render_context_create(&created, m_engine.handle(), params.data()) < 0) {
        m_failed = true;
        events().failed();
        return;
    }
    m_context.reset(created);
    mpv_render_context_set_update_callback(created, &GlVideoView::onRenderUpdate, this);
    events().ready();
}

void GlVideoView::clear()
{
    m_cleared = true;
    update();
}

void GlVideoView::paintGL()
{
    // Drawn offscreen, the picture is shown elsewhere.
    if (!m_context || m_cleared || !m_offscreenSize.isEmpty()) {
        QOpenGLContext::currentContext()->functions()->glClearColor(0, 0, 0, 1);
        QOpenGLContext::currentContext()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (renderInto(defaultFramebufferObject(), (QSizeF(size()) * ratio).toSize()))
        events().frameRendered();
}

bool GlVideoView::renderInto(GLuint framebuffer, QSize size)
{
    mpv_opengl_fbo fbo{static_cast<int>(framebuffer), size.width(), size.height(), 0};
    // A GL framebuffer has its origin at the bottom left; without the flip the picture is
    // upside down, on the screen and when read back.
    int flipY = 1;
    // Don't sleep in the render call until the frame's display time: both players render on
    // the GUI thread, and one waiting stalls the other's frames and the loop restart.
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(m_context.get(), params) >= 0;
}

void GlVideoView::onRenderUpdate(void* view)
{
    // Called on an mpv thread: only post to the GUI thread.
    auto* self = static_cast<GlVideoView*>(view);
    self->m_wakeup.post(self, &GlVideoView::handleRenderUpdate);
}

void GlVideoView::handleRenderUpdate()
{
    if (m_context && (mpv_render_context_update(m_context.get()) & MPV_RENDER_UPDATE_FRAME)) {
        m_cleared = false;
        if (m_offscreenSize.isEmpty())
            update();
        else
            renderOffscreen();
    }
}

void GlVideoView::setOffscreenSize(QSize size)
{
    if (size == m_offscreenSize)
        return;
    m_offscreenSize = size;
    if (size.isEmpty()) {
        m_offscreenFrame = QImage();
        update();
    } else {
        renderOffscreen();
    }
}

void GlVideoView::renderOffscreen()
{
    if (!m_context || m_offscreenSize.isEmpty() || !context())
        return;
    makeCurrent();
    if (!m_framebuffer || m_framebuffer->size() != m_offscreenSize)
        m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(m_offscreenSize);
    const bool drawn = renderInto(m_framebuffer->handle(), m_offscreenSize);
    if (drawn)
        m_offscreenFrame = m_framebuffer->toImage();
    doneCurrent();
    if (drawn)
        events().frameRendered();
}

} // namespace tandemo
