#pragma once

#include "analysis/libav_handles.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tandemo {

class VideoDecoder;

/// Decodes a video's pictures on a thread of its own, a few ahead of the one taking them, so that
/// two videos compared side by side are decoded at once rather than in turn.
class DecodeAhead {
public:
    /// Starts decoding at once; `cancelled` stops it early, as it stops the decoder.
    DecodeAhead(VideoDecoder& decoder, const std::atomic_bool& cancelled);
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    /// The next picture, waiting for it if need be; none at the end of the video (or on an error
    /// or when cancelled). The frame is this object's own until the next call.
    AVFrame* next();

private:
    void decode();

    // Enough to ride over a slow picture of either video, few enough to hold little memory.
    static constexpr std::size_t kAhead = 4;

    VideoDecoder& m_decoder;
    const std::atomic_bool& m_cancelled;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<LibavFrame> m_ready;
    LibavFrame m_taken;
    bool m_ended = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace tandemo
