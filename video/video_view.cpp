#include "video/video_view.h"

#include "engine/player_engine.h"
#include "video/gl_canvas.h"
#include "video/native_displays.h"
#include "video/software_canvas.h"

#include <QPaintEngine>
#include <QPainter>

namespace tandemo {

namespace {

std::unique_ptr<RenderCanvas> canvasFor(PlayerEngine& engine, RenderPath path)
{
    if (path == RenderPath::OpenGL) {
        // The engine's GL context is made on the render thread, as it starts.
        return std::make_unique<GlCanvas>(nativeDisplays(), [&engine](const OpenGLSetUp& setUp) {
            return engine.openGLRenderContext(setUp);
        });
    }
    std::unique_ptr<RenderContext> context = engine.softwareRenderContext();
    return context ? std::make_unique<SoftwareCanvas>(std::move(context)) : nullptr;
}

} // namespace

VideoView::VideoView(PlayerEngine& engine, RenderPath path, QWidget* parent)
    : QWidget(parent)
    , m_pictures(*this, events())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);

    m_canvas = canvasFor(engine, path);
    if (m_canvas && !m_pictures.start(*m_canvas))
        m_canvas.reset();
    connect(&engine, &PlayerEngine::shownDecoderChanged, &m_pictures,
            [this] { m_pictures.showOtherCore(); });
}

VideoView::~VideoView()
{
    releaseRenderContext();
}

void VideoView::releaseRenderContext()
{
    // The thread frees the engine's part (with a GL context, there) as it ends.
    m_pictures.stop();
    m_canvas.reset();
}

QImage VideoView::shownPicture() const
{
    return m_canvas && m_pictures.hasPicture() ? m_canvas->image(RenderCanvas::Shown) : QImage();
}

QImage VideoView::offscreenFrame() const
{
    const QImage picture = shownPicture();
    const QSize size = m_pictures.offscreenSize();
    return !size.isEmpty() && picture.size() == size ? picture : QImage();
}

QImage VideoView::grabFrame()
{
    return grab().toImage();
}

QImage VideoView::drawnPicture()
{
    if (!m_pictures.offscreenSize().isEmpty())
        return {};
    return shownPicture().copy();
}

void VideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A 32-bit RGB store (an X11 window) goes to the window system as it is, which ignores the
    // fourth byte; a premultiplied one (every Wayland window) does not.
    const QPaintDevice* device =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image)
        m_pictures.setStoreKeepsAlpha(static_cast<const QImage*>(device)->format() !=
                                      QImage::Format_RGB32);
    QImage picture = shownPicture();
    if (picture.isNull() || !m_pictures.offscreenSize().isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        m_pictures.painted({});
        return;
    }
    const QSize pictureSize = picture.size();
    picture.setDevicePixelRatio(devicePixelRatioF());
    // At another size than the view's, the picture is stretched over it until the next comes.
    if (pictureSize == (QSizeF(size()) * devicePixelRatioF()).toSize())
        painter.drawImage(QPoint(0, 0), picture);
    else
        painter.drawImage(rect(), picture);
    m_pictures.painted(pictureSize);
}

} // namespace tandemo
