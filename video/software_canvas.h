#pragma once

#include "video/aligned_frame_buffer.h"
#include "video/render_canvas.h"

#include <array>
#include <memory>
#include <utility>

namespace tandemo {

/// Pictures in memory, drawn by the engine's software renderer.
class SoftwareCanvas : public RenderCanvas {
public:
    explicit SoftwareCanvas(std::unique_ptr<RenderContext> context)
        : m_context(std::move(context))
    {
    }

    RenderContext* context() override { return m_context.get(); }
    QSize size(Role role) const override { return m_buffers[role].size(); }
    RenderContext::Picture picture(Role role, QSize size) override;
    void finish(Role role, bool outside) override;
    void swap(Role a, Role b) override { std::swap(m_buffers[a], m_buffers[b]); }
    QImage image(Role role) const override { return m_buffers[role].image(); }

private:
    std::unique_ptr<RenderContext> m_context;
    std::array<AlignedFrameBuffer, 4> m_buffers;
};

} // namespace tandemo
