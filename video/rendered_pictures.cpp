#include "video/rendered_pictures.h"

#include "video/video_surface.h"

#include <QWidget>
#include <QWindow>

#include <utility>

namespace tandemo {

RenderedPictures::RenderedPictures(QWidget& view, VideoSurfaceEvents& events)
    : m_view(view)
    , m_events(events)
{
}

RenderedPictures::~RenderedPictures()
{
    stop();
}

bool RenderedPictures::start(RenderCanvas& canvas)
{
    auto renderer = std::make_unique<RenderThread>(
        canvas, [this] { m_finishedWakeup.post(this, &RenderedPictures::showFinished); });
    if (!renderer->isStarted())
        return false;
    m_canvas = &canvas;
    m_renderer = std::move(renderer);
    m_canvas->context()->setUpdateCallback(&RenderedPictures::onRenderUpdate, this);
    return true;
}

void RenderedPictures::stop()
{
    m_renderer.reset(); // finishes the picture under way first
    m_canvas = nullptr;
}

void RenderedPictures::onRenderUpdate(void* pictures)
{
    // Called on one of the engine's threads: only post to the GUI thread.
    auto* self = static_cast<RenderedPictures*>(pictures);
    self->m_frameWakeup.post(self, &RenderedPictures::handleRenderUpdate);
}

void RenderedPictures::handleRenderUpdate()
{
    if (!m_renderer)
        return;
    // Nothing will paint a minimised or hidden window: its frames are taken without drawing, or
    // the engine waits for them and its playback stalls. Showing it draws the current one.
    updateTarget();
    m_renderer->checkForFrame();
}

void RenderedPictures::showFinished()
{
    if (!m_renderer || !m_renderer->takeFinished())
        return;
    m_hasPicture = true;
    if (!m_offscreenSize.isEmpty()) {
        m_events.frameRendered();
        return;
    }
    m_framePending = true;
    // After a switch of cores, painted now rather than with the next round of updates: the last
    // picture of the pass has been shown for its whole time already.
    if (std::exchange(m_paintAtOnce, false) && m_view.isVisible())
        m_view.repaint();
    else
        m_view.update();
}

void RenderedPictures::showOtherCore()
{
    if (!m_renderer)
        return;
    m_canvas->context()->followShownCore();
    // The core that shows now holds its first picture ready, mostly drawn while it waited: it is
    // shown at once.
    if (!m_hasPicture)
        return;
    m_paintAtOnce = true;
    drawAgain();
}

void RenderedPictures::updateTarget()
{
    const bool offscreen = !m_offscreenSize.isEmpty();
    const QWindow* window = m_view.window()->windowHandle();
    const bool shows = offscreen || (m_view.isVisible() && window && window->isExposed());
    m_renderer->setTarget(offscreen ? m_offscreenSize : pixelSize(), shows,
                          offscreen || m_storeKeepsAlpha);
}

void RenderedPictures::drawAgain()
{
    if (!m_renderer || !m_hasPicture)
        return;
    updateTarget();
    m_renderer->drawAgain();
}

QSize RenderedPictures::pixelSize() const
{
    return (QSizeF(m_view.size()) * m_view.devicePixelRatioF()).toSize();
}

void RenderedPictures::clear()
{
    if (m_renderer)
        m_renderer->discardPictures();
    m_hasPicture = false;
    m_view.update();
}

void RenderedPictures::setOffscreenSize(QSize size)
{
    if (size == m_offscreenSize)
        return;
    m_offscreenSize = size;
    drawAgain();
    m_view.update();
}

void RenderedPictures::painted(QSize shown)
{
    if (!m_renderer || !m_offscreenSize.isEmpty())
        return;
    if (shown.isEmpty()) {
        // The first frames came while nothing showed them: the current one is drawn now.
        if (m_renderer->hasUndrawnFrame()) {
            updateTarget();
            m_renderer->drawAgain();
        }
        return;
    }
    // Drawn at another size, or not drawn at all while the window was hidden: the picture there
    // was stretched over the view until the current one comes at the view's size.
    if (shown != pixelSize() || m_renderer->hasUndrawnFrame())
        drawAgain();
    else if (std::exchange(m_framePending, false))
        m_events.frameRendered();
}

} // namespace tandemo
