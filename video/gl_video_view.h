#pragma once

#include "video/gl_canvas.h"
#include "video/rendered_pictures.h"
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
    bool isReady() const override { return m_pictures.isStarted(); }
    bool hasFailed() const override { return m_failed; }
    void releaseRenderContext() override;
    void clear() override { m_pictures.clear(); }
    QImage grabFrame() override { return grabFramebuffer(); }
    QImage drawnPicture() override { return grabFramebuffer(); }
    void setOffscreenSize(QSize size) override { m_pictures.setOffscreenSize(size); }
    QImage offscreenFrame() const override;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    PlayerEngine& m_engine;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<GlCanvas> m_canvas;
    RenderedPictures m_pictures;
    QOpenGLTextureBlitter m_blitter;
    bool m_failed = false;
};

} // namespace tandemo
