#include "engine/mpv_engine.h"

#include "engine/frame_step.h"
#include "engine/mpv_options.h"
#include "engine/render_context.h"
#include "platform/file_names.h"

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
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
            m_loop.passEnded(frameDuration(*this), m_settings.playingSpeed());
        break;
    case MpvProperty::WaitingForData:
        m_stallWatch.restart();
        break;
    default:
        break;
    }
}

void MpvEngine::shownLoaded()
{
    // A still never ends: nothing to loop, and no second core to hold it. Paused, it is drawn
    // once rather than again at every refresh.
    if (m_shown.still) {
        m_loop.fallBack();
        setShownPropertyAsync("pause", "yes");
        m_cores.askPauseState();
    }
    emit fileLoaded();
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
}

void MpvEngine::passStarted()
{
    emit positionChanged(m_shown.position);
    emit playbackRestarted();
}

bool MpvEngine::openFile(const QString& path)
{
    m_file = path;
    m_seeks.forget();
    m_shown.restarted = false;
    m_shown.still = false;
    m_loop.newFile();
    // Only a regular file is played, judged by what was opened (a replay too: the name may have
    // been taken by something else since): a pipe or a device could block a core for good. The
    // cores and the frame times then read the very file judged, never the name again.
    m_opened = RegularFile::open(path);
    if (!m_opened.isOpen()) {
        failToOpen(m_opened.wasNotAFile() ? QStringLiteral("not a regular file")
                                          : QStringLiteral("cannot be opened"));
        return false;
    }
    m_rewriteWatch.reset();
    return true;
}

void MpvEngine::loadFile(const QString& path, bool startPaused)
{
    if (!openFile(path))
        return;
    m_decoding.policy().setPlaying(true);
    setPaused(startPaused);
    setPassage(std::nullopt);
    m_loop.applyLoopMode();
    m_frameTimes.read(m_opened.reopened());
    if (!loadOpenedFile(m_shown.core.get())) {
        failToOpen(QStringLiteral("cannot be opened"));
        return;
    }
    emit loadStarted(startPaused);
}

void MpvEngine::failToOpen(const QString& reason)
{
    m_opened = RegularFile();
    m_frameTimes.clear();
    m_decoding.policy().setPlaying(false);
    sendCommand(m_shown.core.get(), {"stop"});
    emit fileFailed(reason);
}

void MpvEngine::switchFile(const QString& path, double seconds)
{
    if (m_file.isEmpty()) {
        loadFile(path, false);
        return;
    }
    if (!openFile(path))
        return;
    m_frameTimes.read(m_opened.reopened());
    if (!loadOpenedFile(m_shown.core.get(), std::max(0.0, seconds)))
        failToOpen(QStringLiteral("cannot be opened"));
}

bool MpvEngine::loadOpenedFile(mpv_handle* core, double start)
{
    // Each core reads the file through a descriptor of its own.
    return loadFileInto(core, m_opened.reopened(), isLoopGapless(), start);
}

void MpvEngine::unload()
{
    m_file.clear();
    m_loop.newFile();
    m_opened = RegularFile();
    m_frameTimes.clear();
    m_decoding.policy().setPlaying(false);
    for (const MpvCore& core : cores())
        sendCommand(core.get(), {"stop"});
}

void MpvEngine::play()
{
    if (isStill())
        return;
    // A file that ended (with loop mode off) left the core idle: it is played again.
    if (m_shown.idle && !m_file.isEmpty())
        loadFile(m_file, false);
    else if (m_shown.atEnd && m_loop.isLooping())
        startNextPass(/*paused=*/false); // held at the end, a core would never go on by itself
    else if (!m_shown.idle)
        setPaused(false);
}

void MpvEngine::startNextPass(bool paused)
{
    if (isLoopGapless()) {
        m_shown.paused = paused;
        m_loop.startNextPass(paused);
        return;
    }
    seekShown(m_passage ? m_passage->start : 0.0, /*exact=*/true);
    setPaused(paused);
}

void MpvEngine::setPaused(bool paused)
{
    if (isStill())
        return;
    setShownPropertyAsync("pause", paused ? "yes" : "no");
    m_cores.askPauseState();
    // A pass that is about to end now ends paused, on its last frame.
    if (paused)
        m_loop.paused();
}

void MpvEngine::seekShown(double seconds, bool exact)
{
    // A still shows its one picture whatever the moment asked for.
    if (isStill())
        return;
    const QByteArray target = QByteArray::number(seconds, 'f', 6);
    m_shown.restarted = false;
    sendCommand(m_shown.core.get(),
                {"seek", target.constData(), exact ? "absolute+exact" : "absolute"},
                m_seeks.sent(seconds));
}

void MpvEngine::stepFrame(bool forward)
{
    if (isStill())
        return;
    setPaused(true);
    // From where a seek still under way goes, so that a step right after it is never lost.
    const double from = destination();
    const FrameStep step =
        planFrameStep(from, forward, m_frameTimes.times(),
                      {m_loop.isLooping(), bool(m_passage), m_shown.duration, frameDuration(*this),
                       [this](double seconds) { return frameStartAt(seconds); }});
    switch (step.kind) {
    case FrameStep::Nowhere:
        break;
    case FrameStep::To:
        seekShown(step.seconds, /*exact=*/true);
        break;
    case FrameStep::NextPass:
        startNextPass(/*paused=*/true);
        break;
    case FrameStep::By: {
        // Unlike mpv's frame-step, an exact seek queues behind a seek still in progress.
        const QByteArray amount = QByteArray::number(step.seconds, 'f', 6);
        m_shown.restarted = false;
        sendCommand(m_shown.core.get(), {"seek", amount.constData(), "relative+exact"},
                    m_seeks.sent(std::max(0.0, from + step.seconds)));
        break;
    }
    }
}

void MpvEngine::saveFrame(const QString& path)
{
    m_saver.save(path,
                 {m_shown.idle, &m_opened, frameStartAt(m_shown.position), m_decoding.isMirrored(),
                  m_shown.loopFilterSkipped, m_decoding.pictureFilter(), m_decoding.toneMap()});
}

bool MpvEngine::takeScreenshot(const QString& stagingPath)
{
    // "video": the decoded picture at its own size, without the view's zoom or scaling.
    const QByteArray file = encodeFileName(stagingPath);
    return sendCommand(m_shown.core.get(), {"screenshot-to-file", file.constData(), "video"},
                       kFrameSaveRequest) >= 0;
}

void MpvEngine::setPassage(std::optional<Passage> passage)
{
    if (passage == m_passage)
        return;
    m_passage = passage;
    // mpv seeks back to the start each time playback passes the end.
    const QByteArray start = passage ? QByteArray::number(passage->start, 'f', 6) : "no";
    const QByteArray end = passage ? QByteArray::number(passage->end, 'f', 6) : "no";
    setShownPropertyAsync("ab-loop-a", start.constData());
    setShownPropertyAsync("ab-loop-b", end.constData());
    m_loop.setPassage(bool(passage));
    emit passageChanged();
}

void MpvEngine::tellLoopWhereShownIs()
{
    // A file whose sound outlasts its pictures goes on telling the sound's position once the last
    // picture shows: that picture stays until the pass ends, whatever the sound's position says.
    if (m_frameTimes.times().isAfterLastFrameStart(m_shown.position))
        return;
    m_loop.shownAt(m_shown.duration - m_shown.position, frameDuration(*this),
                   m_settings.playingSpeed());
}

std::optional<double> MpvEngine::shownFrameLasts() const
{
    // Waiting is not being held: paused, or paused by the core until it has read more of the
    // file (a loaded machine, a slow disk).
    if (m_file.isEmpty() || m_shown.idle || m_shown.paused || !m_shown.loaded ||
        m_shown.waitingForData || m_shown.still)
        return std::nullopt;
    const std::optional<double> next = m_frameTimes.times().frameStart(m_shown.position, 1);
    const double toNext = next ? *next - m_shown.position : frameDuration(*this);
    return toNext / (m_settings.playingSpeed());
}

void MpvEngine::openAgainWhenStalled(int times)
{
    // Opened again from its name: the file as it is now, or a clear failure. Twice without
    // moving on, and the file is taken for one that cannot be played.
    if (times > 2)
        failToOpen(QStringLiteral("playback stalled"));
    else
        openAgain();
}

double MpvEngine::frameStartAt(double seconds) const
{
    if (const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(seconds))
        return frame->seconds;
    return PlaybackEngine::frameStartAt(seconds);
}

MediaFacts MpvEngine::facts() const
{
    if (m_shown.idle)
        return {};
    MediaFacts facts{m_file,
                     m_shown.storedSize,
                     m_shown.codec,
                     frameRate(),
                     m_shown.bitRate,
                     m_shown.position,
                     -1,
                     {}};
    // Where the player has measured none (a short clip, paused at once), the file's own average
    // over its length tells as much.
    if (facts.bitRate <= 0 && m_shown.duration > 0 && m_opened.size() > 0)
        facts.bitRate = double(m_opened.size()) * 8 / m_shown.duration;
    // The frame showing, as the file's own timestamps count it; a time past the last frame (a
    // step beyond the end) is that frame's.
    if (const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(m_shown.position)) {
        facts.frame = frame->number;
        facts.position = frame->seconds;
    }
    return facts;
}

std::unique_ptr<RenderContext> MpvEngine::softwareRenderContext()
{
    return drawnAhead(RenderContext::software(m_cores));
}

std::unique_ptr<RenderContext> MpvEngine::openGLRenderContext(const OpenGLSetUp& setUp)
{
    // Made on the view's render thread, while the GUI thread waits for it.
    return drawnAhead(RenderContext::openGL(m_cores, setUp));
}

std::unique_ptr<RenderContext> MpvEngine::drawnAhead(std::unique_ptr<RenderContext> context)
{
    // Either view draws on a thread of its own, ahead of time, and shows frames when due:
    // drawing then no longer makes them late, by a varying few milliseconds.
    if (context) {
        m_decoding.setHandedOverAheadMs(kHandedOverAheadMs);
        m_loop.setHandedOverAheadMs(kHandedOverAheadMs);
        m_decoding.handOverAhead(m_shown.core.get(), true);
    }
    return context;
}

std::unique_ptr<PlayerEngine> createPlayerEngine(const EngineOptions& options, QString* error)
{
    return MpvEngine::create(options, error);
}

} // namespace tandemo
