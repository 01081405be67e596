#pragma once

#include "engine/queued_wakeup.h"
#include "engine/render_context.h"
#include "video/aligned_frame_buffer.h"
#include "video/video_surface.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace tandemo {

class PlayerEngine;

/// Video drawn by mpv's software renderer, used wherever OpenGL would itself run on the CPU: there
/// it costs a fraction of the CPU. On screen, mpv draws each frame straight into the window's
/// backing store while the view paints; offscreen and where that store is not a plain image, it
/// draws into an aligned memory buffer.
class SoftwareVideoView : public QWidget, public VideoSurface {
    Q_OBJECT
public:
    SoftwareVideoView(PlayerEngine& engine, QWidget* parent = nullptr);
    ~SoftwareVideoView() override;

    QWidget* widget() override { return this; }
    bool isReady() const override { return m_context != nullptr; }
    bool hasFailed() const override { return !m_context; }
    void releaseRenderContext() override;
    void clear() override;
    QImage grabFrame() override;
    void setOffscreenSize(QSize size) override;
    QImage offscreenFrame() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Target {
        unsigned char* pixels = nullptr;
        QSize size;
        std::size_t stride = 0;
        const char* format = nullptr; // mpv's name for the pixel layout
        // Something reads the fourth byte of each pixel as alpha (Qt itself, or a compositor),
        // which mpv leaves unset for a video without alpha of its own.
        bool readsAlpha = false;
    };

    static void onRenderUpdate(void* view);
    void handleRenderUpdate();
    void showOtherCore();
    bool render(const Target& target);
    bool renderIntoBuffer(QSize size);
    void renderOffscreen();
    void skipFrame();
    std::optional<Target> backingStoreTarget(QPainter& painter) const;

    std::unique_ptr<RenderContext> m_context;
    AlignedFrameBuffer m_buffer;
    QueuedWakeup m_wakeup;
    bool m_hasFrame = false;
    bool m_framePending = false;
    QSize m_offscreenSize;
};

} // namespace tandemo
