#pragma once

#include "video/aligned_frame_buffer.h"

#include <QSize>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tandemo {

class RenderContext;

/// Draws an engine's pictures on a thread of its own, so that scaling a picture never waits
/// behind the GUI, nor the GUI behind it: the GUI thread only asks for pictures and shows the
/// ones finished. Three buffers take turns: the one being drawn, the one finished last, and the
/// one the GUI shows. Neither side ever waits for the other, and a picture finished while the
/// GUI is busy is still there when the thread draws the next one.
///
/// All calls but the constructor's callback are made on the GUI thread. The context must
/// outlive this object, and nothing else may use it meanwhile.
class RenderThread {
public:
    /// `finished` runs on the render thread after each picture drawn: it may only post to the
    /// GUI thread.
    RenderThread(RenderContext& context, std::function<void()> finished);
    ~RenderThread();
    RenderThread(const RenderThread&) = delete;
    RenderThread& operator=(const RenderThread&) = delete;

    /// The size pictures are drawn at. Drawing stops while it is empty, or when `drawing` is
    /// false (nothing shows them): new frames are then taken without being drawn, so that the
    /// engine goes on. `opaque`: where the pictures go, the fourth byte of each pixel is read as
    /// alpha, which the renderer leaves unset (often 0) for a video without alpha of its own.
    void setTarget(QSize size, bool drawing, bool opaque);
    /// There may be a new frame to draw (the engine said so).
    void checkForFrame();
    /// Draws the current frame again: another core shows, or the size changed.
    void drawAgain();

    /// Drops the picture finished and not yet taken, and the one being drawn: the view was
    /// cleared (its file failed or was closed), and a picture of what it showed must not come
    /// back.
    void discardPictures();
    /// Takes the picture finished last, if there is a newer one than shown(): true if so.
    bool takeFinished();
    /// Whether the current frame was taken without being drawn (nothing showed it then).
    bool hasUndrawnFrame();
    /// The picture the GUI shows; stays as it is until the next takeFinished().
    const AlignedFrameBuffer& shown() const { return m_shown; }

private:
    void run();
    struct Target {
        QSize size;
        bool drawing = true;
        bool opaque = true;
    };
    enum class Outcome { Nothing, Drawn, Skipped };
    Outcome serve(bool check, bool again, const Target& target);

    RenderContext& m_context;
    std::function<void()> m_finished;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_check = false;
    bool m_again = false;
    bool m_quit = false;
    Target m_target;
    bool m_hasFinished = false;
    int m_generation = 0; // counts discardPictures()
    bool m_undrawnFrame = false;
    AlignedFrameBuffer m_finishedBuffer; // under m_mutex

    AlignedFrameBuffer m_drawingBuffer; // the render thread's own
    AlignedFrameBuffer m_aheadBuffer;   // the render thread's own: the waiting core's picture
    AlignedFrameBuffer m_shown;         // the GUI thread's own
    std::thread m_thread;
};

} // namespace tandemo
