#pragma once

#include "video/render_canvas.h"

#include <QSize>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tandemo {

/// Draws an engine's pictures on a thread of its own, so that drawing and scaling a picture never
/// waits behind the GUI, nor the GUI behind it: the GUI thread only asks for pictures and shows
/// the ones finished. The canvas's pictures take turns: the one being drawn, the one finished
/// last, and the one the GUI shows, and the waiting core's first picture drawn ahead. Once the
/// thread has started, neither side waits for the other, and a picture finished while the GUI is
/// busy is still there when the thread draws the next one.
///
/// All calls but the constructor's callback are made on the GUI thread. The canvas must outlive
/// this object, and nothing else may draw with its context meanwhile.
class RenderThread {
public:
    /// Starts the thread, and the canvas on it (see isStarted()). `finished` runs on the render
    /// thread after each picture drawn: it may only post to the GUI thread.
    RenderThread(RenderCanvas& canvas, std::function<void()> finished);
    ~RenderThread();
    RenderThread(const RenderThread&) = delete;
    RenderThread& operator=(const RenderThread&) = delete;

    /// Whether the canvas could start: else nothing is drawn.
    bool isStarted() const { return m_started; } // set before the constructor returns
    /// The size pictures are drawn at. Drawing stops while it is empty, or when `drawing` is
    /// false (nothing shows them): new frames are then taken without being drawn, so that the
    /// engine goes on. `outside`: the pictures leave the view's own drawing (see
    /// RenderCanvas::finish).
    void setTarget(QSize size, bool drawing, bool outside);
    /// There may be a new frame to draw (the engine said so).
    void checkForFrame();
    /// Draws the current frame again: another core shows, or the size changed.
    void drawAgain();

    /// Drops the picture finished and not yet taken, and the one being drawn: the view was
    /// cleared (its file failed or was closed), and a picture of what it showed must not come
    /// back.
    void discardPictures();
    /// Takes the picture finished last into the canvas's shown role, if there is a newer one than
    /// that: true if so.
    bool takeFinished();
    /// Whether the current frame was taken without being drawn (nothing showed it then).
    bool hasUndrawnFrame();

private:
    void run();
    struct Target {
        QSize size;
        bool drawing = true;
        bool outside = true;
    };
    enum class Outcome { Nothing, Drawn, Skipped };
    Outcome serve(bool check, bool again, const Target& target);

    RenderCanvas& m_canvas;
    std::function<void()> m_finished;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_startTold = false;
    bool m_started = false;
    bool m_check = false;
    bool m_again = false;
    bool m_quit = false;
    Target m_target;
    bool m_hasFinished = false;
    int m_generation = 0; // counts discardPictures()
    bool m_undrawnFrame = false;
    // The render thread's own: whether the picture drawn ahead was finished for a drawing
    // outside the view's own.
    bool m_aheadFinishedOutside = false;
    std::thread m_thread;
};

} // namespace tandemo
