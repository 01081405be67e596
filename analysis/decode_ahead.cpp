#include "analysis/decode_ahead.h"

#include "analysis/video_decoder.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tandemo {

DecodeAhead::DecodeAhead(VideoDecoder& decoder, const std::atomic_bool& cancelled)
    : m_decoder(decoder)
    , m_cancelled(cancelled)
    , m_thread([this] { decode(); })
{
}

DecodeAhead::~DecodeAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DecodeAhead::decode()
{
    for (;;) {
        AVFrame* decoded = m_cancelled ? nullptr : m_decoder.next();
        LibavFrame frame(decoded ? av_frame_alloc() : nullptr);
        if (frame)
            av_frame_move_ref(frame.get(), decoded);
        std::unique_lock lock(m_mutex);
        if (!frame) {
            m_ended = true;
            m_changed.notify_all();
            return;
        }
        m_changed.wait(lock, [this] { return m_stopping || m_ready.size() < kAhead; });
        if (m_stopping)
            return;
        m_ready.push_back(std::move(frame));
        m_changed.notify_all();
    }
}

AVFrame* DecodeAhead::next()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_ended; });
    if (m_ready.empty()) {
        m_taken.reset();
        return nullptr;
    }
    m_taken = std::move(m_ready.front());
    m_ready.pop_front();
    m_changed.notify_all();
    return m_taken.get();
}

} // namespace tandemo
