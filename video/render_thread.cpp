#include "video/render_thread.h"

#include "engine/render_context.h"

#include <utility>

namespace tandemo {

RenderThread::RenderThread(RenderCanvas& canvas, std::function<void()> finished)
    : m_canvas(canvas)
    , m_finished(std::move(finished))
{
    // The canvas may need the thread for itself (a GL context current there): it starts there,
    // and the view knows at once whether it can show anything.
    m_thread = std::thread([this] { run(); });
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_startTold; });
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

void RenderThread::setTarget(QSize size, bool drawing, bool outside)
{
    std::lock_guard lock(m_mutex);
    m_target = {size, drawing, outside};
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
    m_canvas.swap(RenderCanvas::Shown, RenderCanvas::Finished);
    return true;
}

bool RenderThread::hasUndrawnFrame()
{
    std::lock_guard lock(m_mutex);
    return m_undrawnFrame;
}

void RenderThread::run()
{
    const bool canDraw = m_canvas.start();
    std::unique_lock lock(m_mutex);
    m_started = canDraw;
    m_startTold = true;
    m_wake.notify_all();
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_check || m_again; });
        if (m_quit)
            break;
        const bool check = std::exchange(m_check, false);
        const bool again = std::exchange(m_again, false);
        const Target target = m_target;
        const int generation = m_generation;
        lock.unlock();
        const Outcome outcome = canDraw ? serve(check, again, target) : Outcome::Nothing;
        lock.lock();
        if (generation != m_generation)
            continue; // drawn for what the view no longer shows
        if (outcome != Outcome::Nothing)
            m_undrawnFrame = outcome == Outcome::Skipped;
        if (outcome == Outcome::Drawn) {
            // A picture not yet taken is replaced: the newer one is the one to show.
            m_canvas.swap(RenderCanvas::Drawing, RenderCanvas::Finished);
            m_hasFinished = true;
            lock.unlock();
            m_finished();
            lock.lock();
        }
    }
    lock.unlock();
    m_canvas.stop();
}

RenderThread::Outcome RenderThread::serve(bool check, bool again, const Target& target)
{
    RenderContext& context = *m_canvas.context();
    const bool drawing = target.drawing && !target.size.isEmpty();
    // A picture drawn ahead at another size is of no use.
    const bool aheadFits = m_canvas.size(RenderCanvas::Ahead) == target.size;
    RenderContext::Picture ahead;
    if (drawing)
        ahead = m_canvas.picture(RenderCanvas::Ahead, target.size);
    bool drewAhead = false;
    const bool newFrame = check && context.hasNewFrame(drawing ? &ahead : nullptr, &drewAhead);
    // Finished as it is drawn, the picture held ahead shows at the switch without more work.
    if (drewAhead) {
        m_canvas.finish(RenderCanvas::Ahead, target.outside);
        m_aheadFinishedOutside = target.outside;
    }
    if (!newFrame && !again)
        return Outcome::Nothing;
    if (!drawing) {
        if (!newFrame)
            return Outcome::Nothing;
        context.skipFrame();
        return Outcome::Skipped;
    }
    // The core that took over shows the picture it held, drawn while it waited.
    if (!newFrame && context.takeDrawnAhead() && aheadFits) {
        m_canvas.swap(RenderCanvas::Drawing, RenderCanvas::Ahead);
        if (target.outside && !m_aheadFinishedOutside)
            m_canvas.finish(RenderCanvas::Drawing, target.outside);
        return Outcome::Drawn;
    }
    // A new frame comes ahead of its time: drawn now, it is handed out as it is due.
    const RenderContext::Picture picture = m_canvas.picture(RenderCanvas::Drawing, target.size);
    if (!context.drawInto(picture, /*untilDue=*/newFrame))
        return Outcome::Nothing;
    m_canvas.finish(RenderCanvas::Drawing, target.outside);
    context.waitUntilDue();
    return Outcome::Drawn;
}

} // namespace tandemo
