#pragma once

#include <QImage>
#include <QObject>

class QWidget;

namespace tandemo {

/// Signals of a video surface, kept in a plain QObject apart from the interface.
class VideoSurfaceEvents : public QObject {
    Q_OBJECT
signals:
    /// A new picture was drawn.
    void frameRendered();
};

/// The area a player shows its video in, drawn by the engine through a render context.
class VideoSurface {
public:
    virtual ~VideoSurface() = default;

    virtual QWidget* widget() = 0;
    /// Whether a render context could not be made (the surface then stays black). The surface
    /// makes it as it is made: the engine must have one before a file is loaded, or it plays the
    /// file without video.
    virtual bool hasFailed() const = 0;
    /// Frees the render context; must happen before the engine's decoders are destroyed.
    virtual void releaseRenderContext() = 0;
    /// Shows black until the engine draws its next picture: what was drawn last belongs to a
    /// file that is gone.
    virtual void clear() = 0;
    /// The picture as last drawn, at the widget's size.
    virtual QImage grabFrame() = 0;
    /// The same without whatever shows over it (the facts, a note): the video's own picture.
    virtual QImage drawnPicture() = 0;
    /// With a size (in device pixels), each frame is drawn into a picture of that size instead
    /// of onto the widget, for a view that shows it elsewhere; empty draws on the widget again.
    virtual void setOffscreenSize(QSize size) = 0;
    /// The picture drawn last in that mode; null before the first.
    virtual QImage offscreenFrame() const = 0;

    VideoSurfaceEvents& events() { return m_events; }

private:
    VideoSurfaceEvents m_events;
};

} // namespace tandemo
