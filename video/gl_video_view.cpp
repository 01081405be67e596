#include "video/gl_video_view.h"

#include "engine/player_engine.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

namespace tandemo {

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

GlVideoView::GlVideoView(PlayerEngine& engine, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_engine(engine)
{
}

GlVideoView::~GlVideoView()
{
    // QOpenGLWidget destroys its GL context after this body has run, when this object can no
    // longer take the call; the engine's part is freed here instead.
    if (QOpenGLContext* glContext = context())
        disconnect(glContext, nullptr, this, nullptr);
    releaseRenderContext();
}

void GlVideoView::releaseRenderContext()
{
    if (!m_context && !m_framebuffer)
        return;
    // The engine frees its GL objects, so its context must be current.
    makeCurrent();
    m_framebuffer.reset();
    m_context.reset();
    doneCurrent();
}

void GlVideoView::initializeGL()
{
    if (m_context)
        return;
    // The widget's GL context goes away with its window; free the engine's part before that
    // happens.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &GlVideoView::releaseRenderContext, Qt::UniqueConnection);

    OpenGLSetUp setUp{&getProcAddress};
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        setUp.x11Display = x11->display();
#endif
    m_context = m_engine.openGLRenderContext(setUp);
    if (!m_context) {
        m_failed = true;
        events().failed();
        return;
    }
    m_context->setUpdateCallback(&GlVideoView::onRenderUpdate, this);
    // The core that shows now holds its first picture ready: it is drawn at once.
    connect(&m_engine, &PlayerEngine::shownDecoderChanged, this, [this] {
        m_context->followShownCore();
        if (m_offscreenSize.isEmpty())
            update();
        else
            renderOffscreen();
    });
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
    return m_context->drawInto(framebuffer, size);
}

void GlVideoView::onRenderUpdate(void* view)
{
    // Called on one of the engine's threads: only post to the GUI thread.
    auto* self = static_cast<GlVideoView*>(view);
    self->m_wakeup.post(self, &GlVideoView::handleRenderUpdate);
}

void GlVideoView::handleRenderUpdate()
{
    if (!m_context || !context())
        return;
    // A frame of the waiting core is taken here, which the engine does with the GL context current.
    makeCurrent();
    const bool newFrame = m_context->hasNewFrame();
    doneCurrent();
    if (newFrame) {
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
