#pragma once

#include "engine/render_context.h"
#include "video/rendered_pictures.h"
#include "video/software_canvas.h"
#include "video/video_surface.h"

#include <QWidget>

#include <memory>

namespace tandemo {

class PlayerEngine;

/// Video drawn by the engine's software renderer, used wherever OpenGL would itself run on the CPU:
/// there it costs a fraction of the CPU. The engine draws and scales each frame on a thread of the
/// view's own; the view then only copies the finished picture onto the screen, or hands it out to a
/// view that shows it elsewhere.
class SoftwareVideoView : public QWidget, public VideoSurface {
    Q_OBJECT
public:
    SoftwareVideoView(PlayerEngine& engine, QWidget* parent = nullptr);
    ~SoftwareVideoView() override;

    QWidget* widget() override { return this; }
    bool isReady() const override { return m_context != nullptr; }
    bool hasFailed() const override { return !m_context; }
    void releaseRenderContext() override;
    void clear() override { m_pictures.clear(); }
    QImage grabFrame() override;
    QImage drawnPicture() override;
    void setOffscreenSize(QSize size) override { m_pictures.setOffscreenSize(size); }
    QImage offscreenFrame() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    /// The picture the view shows; empty when there is none.
    const AlignedFrameBuffer& shownPicture() const;

    std::unique_ptr<RenderContext> m_context;
    std::unique_ptr<SoftwareCanvas> m_canvas;
    RenderedPictures m_pictures;
};

} // namespace tandemo
