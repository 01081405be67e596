#include "video/gl_video_view.h"

#include "engine/player_engine.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWindow>

#include <utility>

namespace tandemo {

GlVideoView::GlVideoView(PlayerEngine& engine, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_engine(engine)
{
    connect(&engine, &PlayerEngine::shownDecoderChanged, this, &GlVideoView::showOtherCore);
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
    // The thread frees the engine's GL objects, with its own context, as it ends.
    m_renderer.reset();
    m_canvas.reset();
    m_surface.reset();
    if (m_blitter.isCreated() && context()) {
        makeCurrent();
        m_blitter.destroy();
        doneCurrent();
    }
}

void GlVideoView::initializeGL()
{
    if (m_renderer || m_failed)
        return;
    // The widget's GL context goes away with its window; free the engine's part before that
    // happens.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &GlVideoView::releaseRenderContext, Qt::UniqueConnection);

    void* x11Display = nullptr;
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        x11Display = x11->display();
#endif
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(context()->format());
    m_surface->create();
    m_canvas = std::make_unique<GlCanvas>(
        *context(), *m_surface, x11Display,
        [this](const OpenGLSetUp& setUp) { return m_engine.openGLRenderContext(setUp); });
    auto renderer = std::make_unique<RenderThread>(
        *m_canvas, [this] { m_finishedWakeup.post(this, &GlVideoView::showFinished); });
    if (!m_blitter.create() || !renderer->isStarted()) {
        renderer.reset();
        m_canvas.reset();
        m_failed = true;
        events().failed();
        return;
    }
    m_renderer = std::move(renderer);
    m_canvas->context()->setUpdateCallback(&GlVideoView::onRenderUpdate, this);
    events().ready();
}

void GlVideoView::onRenderUpdate(void* view)
{
    // Called on one of the engine's threads: only post to the GUI thread.
    auto* self = static_cast<GlVideoView*>(view);
    self->m_frameWakeup.post(self, &GlVideoView::handleRenderUpdate);
}

void GlVideoView::handleRenderUpdate()
{
    if (!m_renderer)
        return;
    updateTarget();
    m_renderer->checkForFrame();
}

void GlVideoView::showFinished()
{
    if (!m_renderer || !m_renderer->takeFinished())
        return;
    m_hasFrame = true;
    if (!m_offscreenSize.isEmpty()) {
        events().frameRendered();
        return;
    }
    m_framePending = true;
    // After a switch of cores, painted now rather than with the next round of updates: the last
    // picture of the pass has been shown for its whole time already.
    if (std::exchange(m_paintAtOnce, false) && isVisible())
        repaint();
    else
        update();
}

void GlVideoView::showOtherCore()
{
    if (!m_renderer)
        return;
    m_canvas->context()->followShownCore();
    // The core that shows now holds its first picture ready, mostly drawn while it waited: it is
    // shown at once.
    if (!m_hasFrame)
        return;
    m_paintAtOnce = true;
    drawAgain();
}

void GlVideoView::updateTarget()
{
    const bool offscreen = !m_offscreenSize.isEmpty();
    const QWindow* window = this->window()->windowHandle();
    const bool shows = offscreen || (isVisible() && window && window->isExposed());
    // A picture shown elsewhere is read back for it.
    m_renderer->setTarget(offscreen ? m_offscreenSize : pixelSize(), shows, offscreen);
}

void GlVideoView::drawAgain()
{
    if (!m_renderer || !m_hasFrame)
        return;
    updateTarget();
    m_renderer->drawAgain();
}

QSize GlVideoView::pixelSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void GlVideoView::clear()
{
    if (m_renderer)
        m_renderer->discardPictures();
    m_hasFrame = false;
    update();
}

void GlVideoView::setOffscreenSize(QSize size)
{
    if (size == m_offscreenSize)
        return;
    m_offscreenSize = size;
    drawAgain();
    update();
}

QImage GlVideoView::offscreenFrame() const
{
    if (!m_renderer || !m_hasFrame || m_offscreenSize.isEmpty())
        return {};
    const QImage& picture = m_canvas->image(RenderCanvas::Shown);
    return picture.size() == m_offscreenSize ? picture : QImage();
}

void GlVideoView::paintGL()
{
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    // Drawn offscreen, the picture is shown elsewhere.
    const unsigned texture = m_renderer && m_hasFrame && m_offscreenSize.isEmpty()
                                 ? m_canvas->texture(RenderCanvas::Shown)
                                 : 0;
    if (!texture) {
        // The first frames came while nothing showed them: the current one is drawn now.
        if (m_renderer && m_offscreenSize.isEmpty() && m_renderer->hasUndrawnFrame()) {
            updateTarget();
            m_renderer->drawAgain();
        }
        return;
    }
    m_blitter.bind();
    m_blitter.blit(texture, QMatrix4x4(), QOpenGLTextureBlitter::OriginBottomLeft);
    m_blitter.release();
    // Drawn at another size, or not drawn at all while the window was hidden: the picture there
    // is stretched over the view until the current one comes at the view's size.
    if (m_canvas->size(RenderCanvas::Shown) != pixelSize() || m_renderer->hasUndrawnFrame())
        drawAgain();
    else if (std::exchange(m_framePending, false))
        events().frameRendered();
}

} // namespace tandemo
