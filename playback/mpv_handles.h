#pragma once

#include <mpv/render.h>

#include <memory>

namespace tandemo {

/// Owns an mpv render context. It must be freed before the core it was made from, with the
/// update callback cleared first; the views that own one do that in their release step.
struct MpvRenderContextDeleter {
    void operator()(mpv_render_context* context) const
    {
        mpv_render_context_set_update_callback(context, nullptr, nullptr);
        mpv_render_context_free(context);
    }
};
using MpvRenderContext = std::unique_ptr<mpv_render_context, MpvRenderContextDeleter>;

} // namespace tandemo
