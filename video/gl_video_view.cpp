#include "video/gl_video_view.h"

#include "engine/player_engine.h"
#include "video/native_displays.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace tandemo {

GlVideoView::GlVideoView(PlayerEngine& engine, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_engine(engine)
    , m_pictures(*this, events())
{
    // Drawn by GL, the pictures need no alpha of their own; only a picture shown elsewhere is
    // read back.
    m_pictures.setStoreKeepsAlpha(false);
    connect(&engine, &PlayerEngine::shownDecoderChanged, &m_pictures,
            [this] { m_pictures.showOtherCore(); });
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
    m_pictures.stop();
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
    if (m_pictures.isStarted() || m_failed)
        return;
    // The widget's GL context goes away with its window; free the engine's part before that
    // happens.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &GlVideoView::releaseRenderContext, Qt::UniqueConnection);

    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(context()->format());
    m_surface->create();
    m_canvas = std::make_unique<GlCanvas>(
        *context(), *m_surface, nativeDisplays(),
        [this](const OpenGLSetUp& setUp) { return m_engine.openGLRenderContext(setUp); });
    if (!m_blitter.create() || !m_pictures.start(*m_canvas)) {
        m_canvas.reset();
        m_failed = true;
        events().failed();
        return;
    }
    events().ready();
}

QImage GlVideoView::offscreenFrame() const
{
    const QSize size = m_pictures.offscreenSize();
    if (!m_pictures.hasPicture() || size.isEmpty())
        return {};
    const QImage& picture = m_canvas->image(RenderCanvas::Shown);
    return picture.size() == size ? picture : QImage();
}

void GlVideoView::paintGL()
{
    // Drawn offscreen, the picture is shown elsewhere.
    const unsigned texture = m_pictures.hasPicture() && m_pictures.offscreenSize().isEmpty()
                                 ? m_canvas->texture(RenderCanvas::Shown)
                                 : 0;
    if (!texture) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        m_pictures.painted({});
        return;
    }
    // The picture covers the whole view (its bars drawn by the engine). At another size than the
    // view's, it is stretched over it until the next comes.
    m_blitter.bind();
    m_blitter.blit(texture, QMatrix4x4(), QOpenGLTextureBlitter::OriginBottomLeft);
    m_blitter.release();
    m_pictures.painted(m_canvas->size(RenderCanvas::Shown));
}

} // namespace tandemo
