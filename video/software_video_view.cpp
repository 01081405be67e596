#include "video/software_video_view.h"

#include "engine/player_engine.h"

#include <QPaintEngine>
#include <QPainter>
#include <QWindow>

#include <utility>

namespace tandemo {

SoftwareVideoView::SoftwareVideoView(PlayerEngine& engine, QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);

    m_context = engine.softwareRenderContext();
    if (m_context) {
        m_canvas = std::make_unique<SoftwareCanvas>(*m_context);
        m_renderer = std::make_unique<RenderThread>(
            *m_canvas, [this] { m_finishedWakeup.post(this, &SoftwareVideoView::showFinished); });
        m_context->setUpdateCallback(&SoftwareVideoView::onRenderUpdate, this);
    }
    connect(&engine, &PlayerEngine::shownDecoderChanged, this, &SoftwareVideoView::showOtherCore);
}

SoftwareVideoView::~SoftwareVideoView()
{
    releaseRenderContext();
}

void SoftwareVideoView::releaseRenderContext()
{
    m_renderer.reset(); // finishes the picture under way first
    m_canvas.reset();
    m_context.reset();
}

void SoftwareVideoView::onRenderUpdate(void* view)
{
    // Called on one of the engine's threads: only post to the GUI thread.
    auto* self = static_cast<SoftwareVideoView*>(view);
    self->m_frameWakeup.post(self, &SoftwareVideoView::handleRenderUpdate);
}

void SoftwareVideoView::handleRenderUpdate()
{
    if (!m_renderer)
        return;
    // Nothing will paint a minimised or hidden window: its frames are taken without drawing, or
    // the engine waits for them and its playback stalls. Showing it draws the current one.
    updateTarget();
    m_renderer->checkForFrame();
}

void SoftwareVideoView::showFinished()
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

void SoftwareVideoView::showOtherCore()
{
    if (!m_context)
        return;
    m_context->followShownCore();
    // The core that shows now holds its first picture ready, mostly drawn while it waited: it is
    // shown at once.
    if (!m_hasFrame)
        return;
    m_paintAtOnce = true;
    drawAgain();
}

void SoftwareVideoView::updateTarget()
{
    const bool offscreen = !m_offscreenSize.isEmpty();
    const QWindow* window = this->window()->windowHandle();
    const bool shows = offscreen || (isVisible() && window && window->isExposed());
    // A picture shown elsewhere may be drawn anywhere: it is made opaque.
    m_renderer->setTarget(offscreen ? m_offscreenSize : pixelSize(), shows,
                          offscreen || m_storeKeepsAlpha);
}

void SoftwareVideoView::drawAgain()
{
    if (!m_renderer || !m_hasFrame)
        return;
    updateTarget();
    m_renderer->drawAgain();
}

const AlignedFrameBuffer& SoftwareVideoView::shownPicture() const
{
    static const AlignedFrameBuffer none;
    return m_canvas ? m_canvas->buffer(RenderCanvas::Shown) : none;
}

QSize SoftwareVideoView::pixelSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void SoftwareVideoView::clear()
{
    if (m_renderer)
        m_renderer->discardPictures();
    m_hasFrame = false;
    update();
}

void SoftwareVideoView::setOffscreenSize(QSize size)
{
    if (size == m_offscreenSize)
        return;
    m_offscreenSize = size;
    drawAgain();
    update();
}

QImage SoftwareVideoView::offscreenFrame() const
{
    if (!m_renderer || !m_hasFrame || m_offscreenSize.isEmpty())
        return {};
    const AlignedFrameBuffer& picture = shownPicture();
    return picture.size() == m_offscreenSize ? picture.image() : QImage();
}

QImage SoftwareVideoView::grabFrame()
{
    return grab().toImage();
}

QImage SoftwareVideoView::drawnPicture()
{
    if (!m_renderer || !m_hasFrame || !m_offscreenSize.isEmpty())
        return {};
    return shownPicture().image().copy();
}

void SoftwareVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A 32-bit RGB store (an X11 window) goes to the window system as it is, which ignores the
    // fourth byte; a premultiplied one (every Wayland window) does not.
    const QPaintDevice* device =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image)
        m_storeKeepsAlpha = static_cast<const QImage*>(device)->format() != QImage::Format_RGB32;
    const AlignedFrameBuffer* picture =
        m_renderer && m_hasFrame && m_offscreenSize.isEmpty() ? &shownPicture() : nullptr;
    if (!picture || picture->isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        // The first frames came while nothing showed them: the current one is drawn now.
        if (m_renderer && m_offscreenSize.isEmpty() && m_renderer->hasUndrawnFrame()) {
            updateTarget();
            m_renderer->drawAgain();
        }
        return;
    }
    QImage frame = picture->image();
    frame.setDevicePixelRatio(devicePixelRatioF());
    const bool stale = frame.size() != pixelSize() || m_renderer->hasUndrawnFrame();
    if (!stale) {
        painter.drawImage(QPoint(0, 0), frame);
        if (std::exchange(m_framePending, false))
            events().frameRendered();
        return;
    }
    // Drawn at another size, or not drawn at all while the window was hidden: the picture
    // there is stretched over the view until the current one comes at the view's size.
    painter.drawImage(rect(), frame);
    drawAgain();
}

} // namespace tandemo
