#pragma once

#include "engine/queued_wakeup.h"
#include "video/render_canvas.h"
#include "video/render_thread.h"

#include <QObject>
#include <QSize>

#include <memory>

class QWidget;

namespace tandemo {

class VideoSurfaceEvents;

/// What a view does with the pictures its render thread draws, on either render path: asks for
/// them as the engine has frames, takes each one finished, and has the view paint it (at once
/// after a switch of cores), or hands it out for a view that shows it elsewhere. The view only
/// paints the canvas's shown picture, and tells what it painted.
class RenderedPictures : public QObject {
public:
    RenderedPictures(QWidget& view, VideoSurfaceEvents& events);
    ~RenderedPictures() override;

    /// Draws with the canvas (which must outlive this) on a thread of its own; false, drawing
    /// nothing, when the canvas cannot start.
    bool start(RenderCanvas& canvas);
    /// Stops drawing: the thread finishes the picture under way and ends.
    void stop();
    bool isStarted() const { return m_renderer != nullptr; }
    /// Whether a picture has been taken since the last clear().
    bool hasPicture() const { return m_renderer && m_hasPicture; }

    /// The engine shows another core, whose first picture shows as soon as it is drawn.
    void showOtherCore();
    /// Shows nothing until the engine's next picture.
    void clear();
    /// See VideoSurface::setOffscreenSize().
    void setOffscreenSize(QSize size);
    QSize offscreenSize() const { return m_offscreenSize; }
    /// Where the pictures go keeps alpha, which must then be opaque (see RenderCanvas::finish).
    void setStoreKeepsAlpha(bool keeps) { m_storeKeepsAlpha = keeps; }
    /// The view painted the shown picture, of that size (empty: none); a picture of another size
    /// than the view's, or one left undrawn while nothing showed it, is drawn again.
    void painted(QSize shown);

private:
    static void onRenderUpdate(void* pictures);
    void handleRenderUpdate();
    void showFinished();
    /// Tells the render thread the size to draw at, and whether anything shows what it draws.
    void updateTarget();
    void drawAgain();
    QSize pixelSize() const;

    QWidget& m_view;
    VideoSurfaceEvents& m_events;
    RenderCanvas* m_canvas = nullptr;
    std::unique_ptr<RenderThread> m_renderer;
    QueuedWakeup m_frameWakeup;
    QueuedWakeup m_finishedWakeup;
    bool m_hasPicture = false;
    bool m_framePending = false;
    // The other core shows: its first picture is painted as soon as it is drawn.
    bool m_paintAtOnce = false;
    // Until the first paint tells, the store is taken to keep alpha.
    bool m_storeKeepsAlpha = true;
    QSize m_offscreenSize;
};

} // namespace tandemo
