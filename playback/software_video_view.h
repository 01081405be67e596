#pragma once

#include "playback/aligned_frame_buffer.h"
#include "playback/mpv_handles.h"
#include "playback/queued_wakeup.h"
#include "playback/video_surface.h"

#include <QWidget>

namespace tandemo {

class MpvEngine;

/// Video drawn by mpv's software renderer into an aligned memory buffer, painted as an image.
/// Used wherever OpenGL would itself run on the CPU: there it costs a fraction of the CPU.
class SoftwareVideoView : public QWidget, public VideoSurface {
    Q_OBJECT
public:
    SoftwareVideoView(MpvEngine& engine, QWidget* parent = nullptr);
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
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static void onRenderUpdate(void* view);
    void handleRenderUpdate();
    void renderFrame();

    MpvRenderContext m_context;
    AlignedFrameBuffer m_buffer;
    QueuedWakeup m_wakeup;
    bool m_hasFrame = false;
    QSize m_offscreenSize;
};

} // namespace tandemo
