#pragma once

#include "engine/queued_wakeup.h"
#include "engine/render_context.h"
#include "video/render_thread.h"
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
    void clear() override;
    QImage grabFrame() override;
    QImage drawnPicture() override;
    void setOffscreenSize(QSize size) override;
    QImage offscreenFrame() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void onRenderUpdate(void* view);
    void handleRenderUpdate();
    void showFinished();
    void showOtherCore();
    /// Tells the render thread the size to draw at, and whether anything shows what it draws.
    void updateTarget();
    void drawAgain();
    QSize pixelSize() const;

    /// The picture the view shows; empty without a renderer.
    const AlignedFrameBuffer& shownPicture() const;

    std::unique_ptr<RenderContext> m_context;
    std::unique_ptr<SoftwareCanvas> m_canvas;
    std::unique_ptr<RenderThread> m_renderer;
    QueuedWakeup m_frameWakeup;
    QueuedWakeup m_finishedWakeup;
    bool m_hasFrame = false;
    bool m_framePending = false;
    // The other core shows: its first picture is painted as soon as it is drawn.
    bool m_paintAtOnce = false;
    // The window's backing store keeps alpha (the pictures must then be opaque); until the first
    // paint tells, it is taken to.
    bool m_storeKeepsAlpha = true;
    QSize m_offscreenSize;
};

} // namespace tandemo
