#pragma once

#include "engine/queued_wakeup.h"
#include "video/gl_canvas.h"
#include "video/render_thread.h"
#include "video/video_surface.h"

#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>

#include <memory>

class QOffscreenSurface;

namespace tandemo {

class PlayerEngine;

/// Video drawn by the engine with OpenGL: the cheap path where the GL driver runs on a GPU. As on
/// the software path, the engine draws each frame on a thread of the view's own, there into
/// framebuffers of a context that shares its textures with the widget's; the widget then only
/// draws the finished texture. The render thread can only start once the widget has its GL
/// context, that is when it is first shown.
class GlVideoView : public QOpenGLWidget, public VideoSurface {
    Q_OBJECT
public:
    GlVideoView(PlayerEngine& engine, QWidget* parent = nullptr);
    ~GlVideoView() override;

    QWidget* widget() override { return this; }
    bool isReady() const override { return m_renderer != nullptr; }
    bool hasFailed() const override { return m_failed; }
    void releaseRenderContext() override;
    void clear() override;
    QImage grabFrame() override { return grabFramebuffer(); }
    QImage drawnPicture() override { return grabFramebuffer(); }
    void setOffscreenSize(QSize size) override;
    QImage offscreenFrame() const override;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onRenderUpdate(void* view);
    void handleRenderUpdate();
    void showFinished();
    void showOtherCore();
    /// Tells the render thread the size to draw at, and whether anything shows what it draws.
    void updateTarget();
    void drawAgain();
    QSize pixelSize() const;

    PlayerEngine& m_engine;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<GlCanvas> m_canvas;
    std::unique_ptr<RenderThread> m_renderer;
    QOpenGLTextureBlitter m_blitter;
    QueuedWakeup m_frameWakeup;
    QueuedWakeup m_finishedWakeup;
    bool m_failed = false;
    bool m_hasFrame = false;
    bool m_framePending = false;
    // The other core shows: its first picture is painted as soon as it is drawn.
    bool m_paintAtOnce = false;
    QSize m_offscreenSize;
};

} // namespace tandemo
