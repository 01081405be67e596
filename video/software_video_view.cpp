#include "video/software_video_view.h"

#include "engine/player_engine.h"

#include <QPaintEngine>
#include <QPainter>

namespace tandemo {

SoftwareVideoView::SoftwareVideoView(PlayerEngine& engine, QWidget* parent)
    : QWidget(parent)
    , m_pictures(*this, events())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);

    m_context = engine.softwareRenderContext();
    if (m_context) {
        m_canvas = std::make_unique<SoftwareCanvas>(*m_context);
        m_pictures.start(*m_canvas);
    }
    connect(&engine, &PlayerEngine::shownDecoderChanged, &m_pictures,
            [this] { m_pictures.showOtherCore(); });
}

SoftwareVideoView::~SoftwareVideoView()
{
    releaseRenderContext();
}

void SoftwareVideoView::releaseRenderContext()
{
    m_pictures.stop();
    m_canvas.reset();
    m_context.reset();
}

const AlignedFrameBuffer& SoftwareVideoView::shownPicture() const
{
    static const AlignedFrameBuffer none;
    return m_canvas && m_pictures.hasPicture() ? m_canvas->buffer(RenderCanvas::Shown) : none;
}

QImage SoftwareVideoView::offscreenFrame() const
{
    const AlignedFrameBuffer& picture = shownPicture();
    const QSize size = m_pictures.offscreenSize();
    return !size.isEmpty() && picture.size() == size ? picture.image() : QImage();
}

QImage SoftwareVideoView::grabFrame()
{
    return grab().toImage();
}

QImage SoftwareVideoView::drawnPicture()
{
    if (!m_pictures.offscreenSize().isEmpty())
        return {};
    const AlignedFrameBuffer& picture = shownPicture();
    return picture.isEmpty() ? QImage() : picture.image().copy();
}

void SoftwareVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A 32-bit RGB store (an X11 window) goes to the window system as it is, which ignores the
    // fourth byte; a premultiplied one (every Wayland window) does not.
    const QPaintDevice* device =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image)
        m_pictures.setStoreKeepsAlpha(static_cast<const QImage*>(device)->format() !=
                                      QImage::Format_RGB32);
    const AlignedFrameBuffer& picture = shownPicture();
    if (picture.isEmpty() || !m_pictures.offscreenSize().isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        m_pictures.painted({});
        return;
    }
    QImage frame = picture.image();
    frame.setDevicePixelRatio(devicePixelRatioF());
    // At another size than the view's, the picture is stretched over it until the next comes.
    if (picture.size() == (QSizeF(size()) * devicePixelRatioF()).toSize())
        painter.drawImage(QPoint(0, 0), frame);
    else
        painter.drawImage(rect(), frame);
    m_pictures.painted(picture.size());
}

} // namespace tandemo
