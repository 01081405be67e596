#include "playback/software_video_view.h"

#include "playback/mpv_engine.h"

#include <QPainter>

namespace tandemo {

SoftwareVideoView::SoftwareVideoView(MpvEngine& engine, QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);

    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (mpv_render_context_create(&context, engine.handle(), params) >= 0) {
        m_context.reset(context);
        mpv_render_context_set_update_callback(context, &SoftwareVideoView::onRenderUpdate, this);
    }
}

SoftwareVideoView::~SoftwareVideoView()
{
    releaseRenderContext();
}

void SoftwareVideoView::releaseRenderContext()
{
    m_context.reset();
}

void SoftwareVideoView::onRenderUpdate(void* view)
{
    // Called on an mpv thread: only post to the GUI thread.
    auto* self = static_cast<SoftwareVideoView*>(view);
    self->m_wakeup.post(self, &SoftwareVideoView::handleRenderUpdate);
}

void SoftwareVideoView::handleRenderUpdate()
{
    if (!m_context)
        return;
    if (mpv_render_context_update(m_context.get()) & MPV_RENDER_UPDATE_FRAME)
        renderFrame();
}

void SoftwareVideoView::renderFrame()
{
    // A hidden view (a minimised window) draws nothing; it catches up when shown again.
    if (!m_context || !isVisible())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels =
        m_offscreenSize.isEmpty() ? (QSizeF(size()) * ratio).toSize() : m_offscreenSize;
    if (pixels.isEmpty())
        return;
    m_buffer.resize(pixels);

    int surfaceSize[2] = {pixels.width(), pixels.height()};
    std::size_t stride = m_buffer.stride();
    // Don't wait inside the render call for the frame's display time: both players share the GUI
    // thread, and a render call that sleeps until its own frame is due delays the other player's
    // frames and the loop restart. The frame is shown as soon as it is ready instead.
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(AlignedFrameBuffer::mpvPixelFormat())},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, m_buffer.data()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(m_context.get(), params) < 0)
        return;
    m_hasFrame = true;
    if (m_offscreenSize.isEmpty())
        update();
    events().frameRendered();
}

void SoftwareVideoView::clear()
{
    m_hasFrame = false;
    update();
}

void SoftwareVideoView::setOffscreenSize(QSize size)
{
    if (size == m_offscreenSize)
        return;
    m_offscreenSize = size;
    renderFrame();
    update();
}

QImage SoftwareVideoView::offscreenFrame() const
{
    return m_hasFrame && !m_offscreenSize.isEmpty() ? m_buffer.image() : QImage();
}

QImage SoftwareVideoView::grabFrame()
{
    return grab().toImage();
}

void SoftwareVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_hasFrame || m_buffer.isEmpty() || !m_offscreenSize.isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    QImage frame = m_buffer.image();
    frame.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(QPoint(0, 0), frame);
    // Between a resize and the next render the buffer may be smaller than the view.
    const QSize drawn = frame.deviceIndependentSize().toSize();
    if (drawn.width() < width())
        painter.fillRect(QRect(drawn.width(), 0, width() - drawn.width(), height()), Qt::black);
    if (drawn.height() < height())
        painter.fillRect(QRect(0, drawn.height(), drawn.width(), height() - drawn.height()),
                         Qt::black);
}

void SoftwareVideoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Draw the current picture again at the new size.
    renderFrame();
}

void SoftwareVideoView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Frames that arrived while hidden were not drawn; draw the current one now.
    renderFrame();
}

} // namespace tandemo
