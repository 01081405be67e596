#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <QLoggingCategory>

#include <algorithm>
#include <clocale>
#include <utility>

namespace tandemo {

std::unique_ptr<MpvEngine> MpvEngine::create(const EngineOptions& options, QString* error)
{
    // mpv refuses to start unless numbers are formatted the C way; QApplication has set the
    // locale from the environment by now.
    std::setlocale(LC_NUMERIC, "C");

    MpvCore core = createCore(options, error);
    if (!core)
        return nullptr;
    // Without a second core, files loop as mpv loops them.
    MpvCore waiting = options.gaplessLoop ? createCore(options, nullptr) : nullptr;
    return std::unique_ptr<MpvEngine>(new MpvEngine(std::move(core), std::move(waiting), options));
}

MpvEngine::MpvEngine(MpvCore core, MpvCore waiting, const EngineOptions& options)
    : m_options(options)
    , m_decoding(options)
    , m_cores(std::move(core), std::move(waiting), m_decoding, *this)
    , m_saver([this](const QString& stagingPath) { return takeScreenshot(stagingPath); })
{
    m_cores.setHandOver(&m_loop);
    connect(&m_saver, &FrameSaver::saved, this, &PlaybackEngine::frameSaved);
    connect(&m_saver, &FrameSaver::refused, this, &PlaybackEngine::frameSaveRefused);
    connect(&m_stallWatch, &StallWatch::stalled, this, &MpvEngine::openAgainWhenStalled);
    // A file written over while it plays is played anew, as it is now.
    connect(&m_rewriteWatch, &RewriteWatch::rewritten, this, &MpvEngine::openAgain);
}

std::int64_t MpvEngine::outputFramesDropped() const
{
    return m_shown.outputDrops + m_waiting.outputDrops;
}

std::int64_t MpvEngine::decoderFramesDropped() const
{
    return m_shown.decoderDrops + m_waiting.decoderDrops;
}

void MpvEngine::shownChanged(MpvProperty property)
{
    switch (property) {
    case MpvProperty::Pause:
        m_stallWatch.restart();
        emit pausedChanged(m_shown.paused);
        // Played from the last frame, the pass ends without another change of position.
        if (!m_shown.paused)
            tellLoopWhereShownIs();
        break;
    case MpvProperty::Idle:
        emit idleChanged(m_shown.idle);
        break;
    case MpvProperty::Position:
        m_stallWatch.moved();
        m_seeks.positionTold();
        emit positionChanged(m_shown.position);
        tellLoopWhereShownIs();
        break;
    case MpvProperty::Duration:
        emit durationChanged(m_shown.duration);
        break;
    case MpvProperty::OutputDrops:
        // A pane that cannot decode in time has no time for a second core either.
        if (passOverloaded(m_shown) && isLoopGapless())
            m_loop.fallBack();
        break;
    case MpvProperty::AtEnd:
        if (m_shown.atEnd)
            m_loop.passEnded(frameDuration(*this), m_speed * m_speedNudge);
        break;
    case MpvProperty::WaitingForData:
        m_stallWatch.restart();
        break;
    default:
        break;
    }
}

void MpvEngine::shownRestarted()
{
    // A passage of one frame loops without a change of position.
    m_stallWatch.moved();
    m_seeks.restarted();
    emit playbackRestarted();
    m_loop.shownRestarted();
}

void MpvEngine::commandDone(std::uint64_t reply, bool done, bool byShown)
{
    // The core that took the save may have stopped showing meanwhile.
    if (reply == kFrameSaveRequest)
        m_saver.screenshotWritten(done);
    else if (SeekTracker::isSeek(reply) && byShown)
        m_seeks.replied(reply, done);
}

void MpvEngine::switched()
{
    m_seeks.forget();
    emit shownDecoderChanged();
    emit positionChanged(m_shown.position);
    emit playbackRestarted();
}

} // namespace tandemo
