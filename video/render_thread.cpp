#include "video/render_thread.h"

#include "engine/render_context.h"

#include <utility>

namespace tandemo {

namespace {

/// Sets the alpha of every pixel to opaque. Qt copies a 32-bit RGB picture as it is into a
/// window's premultiplied backing store (as on Wayland), and a compositor that takes the window's
/// pixels as they are (weston's pixman renderer does) would show the video as a hole.
void makeOpaque(AlignedFrameBuffer& picture)
{
    const QSize size = picture.size();
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(picture.data() + std::size_t(y) * picture.stride());
        for (int x = 0; x < size.width(); ++x)
            line[x] |= 0xff000000u; // alpha is the high byte of Qt's 32-bit ARGB
    }
}

RenderContext::Picture pictureIn(AlignedFrameBuffer& buffer)
{
    return {buffer.data(), buffer.size(), buffer.stride(),
            AlignedFrameBuffer::rendererPixelFormat()};
}

} // namespace

RenderThread::RenderThread(RenderContext& context, std::function<void()> finished)
    : m_context(context)
    , m_finished(std::move(finished))
    , m_thread([this] { run(); })
{
}

RenderThread::~RenderThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RenderThread::setTarget(QSize size, bool drawing, bool opaque)
{
    std::lock_guard lock(m_mutex);
    m_target = {size, drawing, opaque};
}

void RenderThread::checkForFrame()
{
    {
        std::lock_guard lock(m_mutex);
        m_check = true;
    }
    m_wake.notify_one();
}

void RenderThread::drawAgain()
{
    {
        std::lock_guard lock(m_mutex);
        m_again = true;
    }
    m_wake.notify_one();
}

void RenderThread::discardPictures()
{
    std::lock_guard lock(m_mutex);
    m_hasFinished = false;
    ++m_generation;
}

bool RenderThread::takeFinished()
{
    std::lock_guard lock(m_mutex);
    if (!std::exchange(m_hasFinished, false))
        return false;
    std::swap(m_shown, m_finishedBuffer);
    return true;
}

bool RenderThread::hasUndrawnFrame()
{
    std::lock_guard lock(m_mutex);
    return m_undrawnFrame;
}

void RenderThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_check || m_again; });
        if (m_quit)
            return;
        const bool check = std::exchange(m_check, false);
        const bool again = std::exchange(m_again, false);
        const Target target = m_target;
        const int generation = m_generation;
        lock.unlock();
        const Outcome outcome = serve(check, again, target);
        lock.lock();
        if (generation != m_generation)
            continue; // drawn for what the view no longer shows
        if (outcome != Outcome::Nothing)
            m_undrawnFrame = outcome == Outcome::Skipped;
        if (outcome == Outcome::Drawn) {
            // A picture not yet taken is replaced: the newer one is the one to show.
            std::swap(m_drawingBuffer, m_finishedBuffer);
            m_hasFinished = true;
            lock.unlock();
            m_finished();
            lock.lock();
        }
    }
}

RenderThread::Outcome RenderThread::serve(bool check, bool again, const Target& target)
{
    const bool drawing = target.drawing && !target.size.isEmpty();
    // A picture drawn ahead at another size is of no use.
    const bool aheadFits = m_aheadBuffer.size() == target.size;
    RenderContext::Picture ahead;
    if (drawing) {
        m_aheadBuffer.resize(target.size);
        ahead = pictureIn(m_aheadBuffer);
    }
    const bool newFrame = check && m_context.hasNewFrame(drawing ? &ahead : nullptr);
    if (!newFrame && !again)
        return Outcome::Nothing;
    if (!drawing) {
        if (!newFrame)
            return Outcome::Nothing;
        m_context.skipFrame();
        return Outcome::Skipped;
    }
    // The core that took over shows the picture it held, drawn while it waited.
    if (!newFrame && m_context.takeDrawnAhead() && aheadFits) {
        std::swap(m_drawingBuffer, m_aheadBuffer);
    } else {
        m_drawingBuffer.resize(target.size);
        // A new frame comes ahead of its time: drawn now, it is handed out as it is due.
        if (!m_context.drawInto(pictureIn(m_drawingBuffer), /*untilDue=*/newFrame))
            return Outcome::Nothing;
    }
    if (target.opaque)
        makeOpaque(m_drawingBuffer);
    return Outcome::Drawn;
}

} // namespace tandemo
