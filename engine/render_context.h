#pragma once

#include <QSize>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_render_context;

namespace tandemo {

class CorePair;

/// Where an engine's frames are drawn for a view: by the CPU into memory, or by OpenGL into a
/// framebuffer. It draws the core the engine shows; the frames of a core that waits are drawn
/// ahead where the caller keeps a picture for them, else taken without drawing, so that the core
/// holds its first picture ready. Its drawing calls may run on a
/// thread of their own (one at a time), and only there may one wait for a frame's display time
/// (on the GUI thread that would stall the other player's frames and the loop restart); the
/// others run on the GUI thread. It may go before or after the engine it was made from.
/// What drawing by OpenGL needs of the view: how to find the GL functions of its context, and
/// the X or Wayland display it shows on, when there is one (hardware-decoded frames then reach GL
/// without a copy).
struct OpenGLSetUp {
    void* (*getProcAddress)(void* context, const char* name) = nullptr;
    void* x11Display = nullptr;
    void* waylandDisplay = nullptr;
};

class RenderContext {
public:
    /// Null when the engine cannot draw that way.
    static std::unique_ptr<RenderContext> software(CorePair& cores);
    /// Its calls need the GL context current.
    static std::unique_ptr<RenderContext> openGL(CorePair& cores, const OpenGLSetUp& setUp);
    ~RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    /// `callback` runs on one of the engine's threads whenever there may be something new to
    /// draw: it may only post to the GUI thread.
    void setUpdateCallback(void (*callback)(void* data), void* data);
    /// Draws the core the engine shows now: called on the GUI thread when it changes.
    void followShownCore();
    /// Where a picture is drawn: memory laid out as `format` (mpv's name for it), or, without
    /// pixels, an OpenGL framebuffer (drawn top row first, as it is read back into memory).
    struct Picture {
        unsigned char* pixels = nullptr;
        QSize size;
        std::size_t stride = 0;
        const char* format = nullptr;
        unsigned framebuffer = 0;
    };

    /// Whether the core showing has a new frame ready to be drawn. A new frame of the core that
    /// waits (the first picture of its pass) is drawn into `ahead` when given, at once, so that
    /// it shows without a wait as that core takes over (`drewAhead` then tells so); else it is
    /// taken undrawn.
    bool hasNewFrame(const Picture* ahead = nullptr, bool* drewAhead = nullptr);
    /// Whether the picture last drawn ahead is the current frame of the core that shows now,
    /// still as drawn: it is taken, and then shows in place of a new drawing.
    bool takeDrawnAhead();

    /// Draws the current frame into `picture`. With `untilDue`, a new frame handed over ahead of
    /// its time is drawn at once, and the call returns when it is due (only where nothing else
    /// waits on the calling thread); into a framebuffer, waitUntilDue() waits instead.
    bool drawInto(const Picture& picture, bool untilDue = false);
    /// Returns when the frame last drawn into a framebuffer until due is due: GL may draw only
    /// as its work is flushed, which the caller does first (reading the picture back, say).
    void waitUntilDue();
    /// Takes the current frame without drawing it, so that the engine goes on.
    void skipFrame();

    /// Each core drawn, with its context: the context shares the core, which therefore goes
    /// only after it, whatever the order in which the engine and the context go.
    using Contexts = std::vector<std::pair<std::shared_ptr<mpv_handle>, mpv_render_context*>>;

private:
    RenderContext(CorePair& cores, Contexts contexts);
    mpv_render_context* shown() const { return m_shown.load(); }
    void forgetDrawnAhead(mpv_render_context* context);

    CorePair& m_cores;
    Contexts m_contexts;
    // Read by the thread that draws, set on the GUI thread, where the engine switches cores.
    std::atomic<mpv_render_context*> m_shown = nullptr;
    // The context whose current frame was drawn ahead; only the thread that draws uses it.
    mpv_render_context* m_drawnAhead = nullptr;
    // When the frame drawn into a framebuffer is due, by the engine's clock; 0: not waited for.
    std::int64_t m_dueUs = 0;
};

} // namespace tandemo
