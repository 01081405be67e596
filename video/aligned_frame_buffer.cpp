#include "video/aligned_frame_buffer.h"

#include <cstring>

namespace tandemo {

void AlignedFrameBuffer::resize(QSize size)
{
    if (size == m_size)
        return;
    if (size.isEmpty()) {
        m_data.reset();
        m_size = QSize();
        m_stride = 0;
        return;
    }
    const std::size_t rowBytes = std::size_t(size.width()) * kBytesPerPixel;
    const std::size_t stride = (rowBytes + kAlignment - 1) / kAlignment * kAlignment;
    const std::size_t bytes = stride * std::size_t(size.height());
    // aligned_alloc wants a size that is a multiple of the alignment, which the stride makes it.
    auto* memory = static_cast<unsigned char*>(std::aligned_alloc(kAlignment, bytes));
    if (!memory)
        throw std::bad_alloc();
    std::memset(memory, 0, bytes);
    m_data.reset(memory);
    m_size = size;
    m_stride = stride;
}

QImage AlignedFrameBuffer::image() const
{
    if (isEmpty())
        return {};
    return QImage(m_data.get(), m_size.width(), m_size.height(), qsizetype(m_stride),
                  QImage::Format_RGB32);
}

} // namespace tandemo
