#pragma once

#include "engine/queued_wakeup.h"
#include "engine/render_context.h"
#include "video/video_surface.h"

#include <QOpenGLWidget>

#include <memory>

class QOpenGLFramebufferObject;

namespace tandemo {

class PlayerEngine;

/// Video drawn by the engine with OpenGL into the widget's framebuffer: the cheap path where the GL
/// driver runs on a GPU. The render context can only be made once the widget has its GL context,
/// that is when it is first shown.
class GlVideoView : public QOpenGLWidget, public VideoSurface {
    Q_OBJECT
public:
    GlVideoView(PlayerEngine& engine, QWidget* parent = nullptr);
    ~GlVideoView() override;

    QWidget* widget() override { return this; }
    bool isReady() const override { return m_context != nullptr; }
    bool hasFailed() const override { return m_failed; }
    void releaseRenderContext() override;
    void clear() override;
    QImage grabFrame() override { return grabFramebuffer(); }
    QImage drawnPicture() override { return grabFramebuffer(); }
    void setOffscreenSize(QSize size) override;
    QImage offscreenFrame() const override { return m_offscreenFrame; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onRenderUpdate(void* view);
    void handleRenderUpdate();
    bool renderInto(GLuint framebuffer, QSize size);
    /// Renders the current frame into a framebuffer of the offscreen size and reads it back.
    void renderOffscreen();

    PlayerEngine& m_engine;
    std::unique_ptr<RenderContext> m_context;
    QueuedWakeup m_wakeup;
    bool m_failed = false;
    bool m_cleared = false;
    QSize m_offscreenSize;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    QImage m_offscreenFrame;
};

} // namespace tandemo
