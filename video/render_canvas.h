#pragma once

#include "engine/render_context.h"

#include <QImage>
#include <QSize>

namespace tandemo {

/// The pictures a render thread draws into and its view shows (see RenderThread): memory on the
/// software path, framebuffers with OpenGL. Four take turns, each in one role at a time: the one
/// being drawn, the waiting core's first picture drawn ahead, the one finished last, and the one
/// the view shows. The render thread uses the first two, the view the last; the thread hands
/// the finished one over under its lock.
class RenderCanvas {
public:
    enum Role { Drawing, Ahead, Finished, Shown };

    virtual ~RenderCanvas() = default;

    /// On the render thread, before anything is drawn: false when nothing can be drawn there.
    virtual bool start() { return true; }
    /// On the render thread, as it ends.
    virtual void stop() {}
    /// What the engine draws with; null until started, and when it could not be.
    virtual RenderContext* context() = 0;

    virtual QSize size(Role role) const = 0;
    /// Where the picture in `role` is drawn, made `size` first.
    virtual RenderContext::Picture picture(Role role, QSize size) = 0;
    /// The picture in `role` is drawn. `outside`: it leaves the view's own drawing, for another
    /// view or a window store that keeps alpha (it must then be opaque).
    virtual void finish(Role role, bool outside) = 0;
    virtual void swap(Role a, Role b) = 0;
    /// The finished picture in `role`, an opaque image, top row first; null before the first.
    /// It reads the canvas's own pixels: valid until that picture is drawn again.
    virtual QImage image(Role role) const = 0;
};

} // namespace tandemo
