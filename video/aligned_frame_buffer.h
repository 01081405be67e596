#pragma once

#include <QImage>
#include <QSize>

#include <cstdlib>
#include <memory>

namespace tandemo {

/// A 32-bit pixel buffer for the engine's software renderer. Start and stride are multiples of 64
/// bytes so that the renderer takes its fast SIMD paths instead of copying the frame.
class AlignedFrameBuffer {
public:
    static constexpr std::size_t kAlignment = 64;
    static constexpr int kBytesPerPixel = 4;

    /// Makes room for a frame of this size; keeps the memory when the size is unchanged.
    void resize(QSize size);

    QSize size() const { return m_size; }
    bool isEmpty() const { return m_size.isEmpty(); }
    std::size_t stride() const { return m_stride; }
    unsigned char* data() { return m_data.get(); }
    const unsigned char* data() const { return m_data.get(); }

    /// The renderer's name for the pixel layout that image() reads as Qt's 0xffRRGGBB.
    static constexpr const char* rendererPixelFormat()
    {
        return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";
    }

    /// The pixels as an image that shares the buffer (valid until the next resize).
    QImage image() const;

private:
    struct Free {
        void operator()(unsigned char* memory) const { std::free(memory); }
    };

    std::unique_ptr<unsigned char, Free> m_data;
    QSize m_size;
    std::size_t m_stride = 0;
};

} // namespace tandemo
