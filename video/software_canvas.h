#pragma once

#include "video/aligned_frame_buffer.h"
#include "video/render_canvas.h"

#include <array>

namespace tandemo {

/// Pictures in memory, drawn by the engine's software renderer.
class SoftwareCanvas : public RenderCanvas {
public:
    /// The context must outlive the canvas.
    explicit SoftwareCanvas(RenderContext& context)
        : m_context(context)
    {
    }

    RenderContext* context() override { return &m_context; }
    QSize size(Role role) const override { return m_buffers[role].size(); }
    RenderContext::Picture picture(Role role, QSize size) override;
    void finish(Role role, bool outside) override;
    void swap(Role a, Role b) override { std::swap(m_buffers[a], m_buffers[b]); }

    /// The picture in `role`.
    const AlignedFrameBuffer& buffer(Role role) const { return m_buffers[role]; }

private:
    RenderContext& m_context;
    std::array<AlignedFrameBuffer, 4> m_buffers;
};

} // namespace tandemo
