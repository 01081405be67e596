#pragma once

#include "video/render_canvas.h"
#include "video/render_path.h"
#include "video/rendered_pictures.h"
#include "video/video_surface.h"

#include <QWidget>

#include <memory>

namespace tandemo {

class PlayerEngine;

/// Video drawn by the engine on a thread of the view's own, with its software renderer or with
/// OpenGL, into pictures in memory: the view then only copies the finished picture onto the
/// window, or hands it out to a view that shows it elsewhere. On either path the window is
/// composed by the CPU, a pane at a time; a GL widget would have Qt compose the whole window
/// through GL at every frame of either pane, and at every repaint of its controls.
class VideoView : public QWidget, public VideoSurface {
    Q_OBJECT
public:
    VideoView(PlayerEngine& engine, RenderPath path, QWidget* parent = nullptr);
    ~VideoView() override;

    QWidget* widget() override { return this; }
    bool hasFailed() const override { return !m_pictures.isStarted(); }
    void releaseRenderContext() override;
    void clear() override { m_pictures.clear(); }
    QImage grabFrame() override;
    QImage drawnPicture() override;
    void setOffscreenSize(QSize size) override { m_pictures.setOffscreenSize(size); }
    QImage offscreenFrame() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    /// The picture the view shows; null when there is none.
    QImage shownPicture() const;

    std::unique_ptr<RenderCanvas> m_canvas;
    RenderedPictures m_pictures;
};

} // namespace tandemo
