#include "video/software_video_view.h"

#include "engine/player_engine.h"

#include <QPaintEngine>
#include <QPainter>
#include <QWindow>

#include <utility>

namespace tandemo {

namespace {

/// mpv's name for a Qt image layout it can draw into, or null. Qt keeps a window of an opaque
/// visual in premultiplied ARGB (on Wayland, every window); Qt blends children over it, and a
/// compositor may take its alpha as it is, so the video must be opaque there.
const char* mpvFormatOf(QImage::Format format)
{
    constexpr bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    switch (format) {
    case QImage::Format_RGB32:
        return AlignedFrameBuffer::mpvPixelFormat();
    case QImage::Format_ARGB32_Premultiplied:
        return littleEndian ? "bgra" : "argb";
    default:
        return nullptr;
    }
}

/// Sets the alpha of every pixel of the target to opaque. mpv leaves it unset (often 0) for a
/// video without alpha of its own, which Qt copies as it is into a window's premultiplied
/// backing store, and a compositor that takes the window's pixels as they are (weston's pixman
/// renderer does) then shows as a hole in the window.
void makeOpaque(unsigned char* pixels, QSize size, std::size_t stride)
{
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(pixels + std::size_t(y) * stride);
        for (int x = 0; x < size.width(); ++x)
            line[x] |= 0xff000000u; // alpha is the high byte of Qt's 32-bit ARGB
    }
}

} // namespace

SoftwareVideoView::SoftwareVideoView(PlayerEngine& engine, QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);

    m_context = engine.softwareRenderContext();
    if (m_context)
        m_context->setUpdateCallback(&SoftwareVideoView::onRenderUpdate, this);
    connect(&engine, &PlayerEngine::shownCoreChanged, this, &SoftwareVideoView::showOtherCore);
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
    if (!m_context || !m_context->hasNewFrame())
        return;
    m_hasFrame = true;
    if (!m_offscreenSize.isEmpty()) {
        renderOffscreen();
    } else if (isVisible() && window()->windowHandle() && window()->windowHandle()->isExposed()) {
        m_framePending = true;
        update();
    } else {
        // Nothing will paint (a minimised or hidden window): take the frame without drawing it,
        // or the engine waits for it and its playback stalls. Showing draws the current one.
        skipFrame();
    }
}

void SoftwareVideoView::showOtherCore()
{
    // The core that shows now holds its first picture ready: it is drawn at once, as a new one.
    if (!m_context || !m_hasFrame)
        return;
    if (!m_offscreenSize.isEmpty()) {
        renderOffscreen();
    } else if (isVisible()) {
        // Painted now rather than with the next round of updates: the last picture of the pass
        // has been shown for its whole time already.
        m_framePending = true;
        repaint();
    }
}

bool SoftwareVideoView::render(const Target& target)
{
    if (!m_context->drawInto(target.pixels, target.size, target.stride, target.format))
        return false;
    if (target.readsAlpha)
        makeOpaque(target.pixels, target.size, target.stride);
    return true;
}

bool SoftwareVideoView::renderIntoBuffer(QSize size)
{
    if (!m_context || size.isEmpty())
        return false;
    m_buffer.resize(size);
    // Qt takes the padding byte of its 32-bit RGB images as an opaque alpha when it draws them.
    return render({m_buffer.data(), size, m_buffer.stride(), AlignedFrameBuffer::mpvPixelFormat(),
                   /*readsAlpha=*/true});
}

void SoftwareVideoView::renderOffscreen()
{
    if (renderIntoBuffer(m_offscreenSize))
        events().frameRendered();
}

void SoftwareVideoView::skipFrame()
{
    m_context->skipFrame();
}

std::optional<SoftwareVideoView::Target>
SoftwareVideoView::backingStoreTarget(QPainter& painter) const
{
    // While the view paints, the painter works on the window's backing store; where that is an
    // image in the layout mpv writes, the frame can be drawn in place instead of copied there.
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    auto* store = static_cast<QImage*>(device);
    const char* format = mpvFormatOf(store->format());
    const QTransform& toDevice = painter.deviceTransform();
    if (!format || toDevice.type() > QTransform::TxTranslate)
        return std::nullopt;
    const QRect area = toDevice.mapRect(rect());
    // Only when the whole view is to be painted and no other widget is drawn over it: the
    // renderer writes every pixel of the area, whatever the clip.
    const QRegion clip = engine->systemClip();
    if (!store->rect().contains(area) || (!clip.isEmpty() && clip != QRegion(area)))
        return std::nullopt;
    const std::size_t stride = std::size_t(store->bytesPerLine());
    unsigned char* origin = store->bits() + std::size_t(area.y()) * stride +
                            std::size_t(area.x()) * AlignedFrameBuffer::kBytesPerPixel;
    // A 32-bit RGB store (an X11 window) goes to the window system as it is, which ignores the
    // fourth byte: only a store that keeps alpha needs it set.
    return Target{origin, area.size(), stride, format,
                  store->format() == QImage::Format_ARGB32_Premultiplied};
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
    if (!size.isEmpty())
        renderOffscreen();
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
    const bool newFrame = std::exchange(m_framePending, false);
    bool drawn = false;
    if (m_context && m_hasFrame && m_offscreenSize.isEmpty()) {
        if (const std::optional<Target> target = backingStoreTarget(painter)) {
            drawn = render(*target);
        } else if (renderIntoBuffer((QSizeF(size()) * devicePixelRatioF()).toSize())) {
            QImage frame = m_buffer.image();
            frame.setDevicePixelRatio(devicePixelRatioF());
            painter.drawImage(QPoint(0, 0), frame);
            drawn = true;
        }
    }
    if (!drawn)
        painter.fillRect(rect(), Qt::black);
    else if (newFrame)
        events().frameRendered();
}

} // namespace tandemo
