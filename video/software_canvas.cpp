#include "video/software_canvas.h"

namespace tandemo {

RenderContext::Picture SoftwareCanvas::picture(Role role, QSize size)
{
    AlignedFrameBuffer& buffer = m_buffers[role];
    buffer.resize(size);
    return {buffer.data(), buffer.size(), buffer.stride(),
            AlignedFrameBuffer::rendererPixelFormat()};
}

void SoftwareCanvas::finish(Role role, bool outside)
{
    // Qt copies a 32-bit RGB picture as it is into a window's premultiplied backing store (as on
    // Wayland), and a compositor that takes the window's pixels as they are (weston's pixman
    // renderer does) would show the video as a hole: where it may be, alpha is made opaque.
    if (!outside)
        return;
    AlignedFrameBuffer& picture = m_buffers[role];
    const QSize size = picture.size();
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(picture.data() + std::size_t(y) * picture.stride());
        for (int x = 0; x < size.width(); ++x)
            line[x] |= 0xff000000u; // alpha is the high byte of Qt's 32-bit ARGB
    }
}

} // namespace tandemo
