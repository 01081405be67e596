#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"
#include "platform/file_names.h"

#include <mpv/client.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <unistd.h>

// The commands the engine sends its core: each is queued without waiting for the core.

namespace tandemo {

bool MpvEngine::openFile(const QString& path)
{
    m_file = path;
    m_seeks.forget();
    m_shown.restarted = false;
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

void MpvEngine::openAgain()
{
    if (m_file.isEmpty() || !m_opened.isOpen())
        return;
    const double at = m_shown.position;
    if (!openFile(m_file))
        return;
    m_frameTimes.read(m_opened.reopened());
    if (!loadOpenedFile(m_shown.core.get(), at))
        failToOpen(QStringLiteral("cannot be opened"));
}

bool MpvEngine::loadOpenedFile(mpv_handle* core, double start)
{
    // Each core reads the file through a descriptor of its own, which it closes when done.
    RegularFile own = m_opened.reopened();
    if (!own.isOpen())
        return false;
    QByteArrayList optionList{fileCacheOptions(own.size(), isLoopGapless())};
    if (start > 0)
        optionList << "start=" + QByteArray::number(start, 'f', 6);
    optionList.removeAll(QByteArray());
    const QByteArray options = optionList.join(',');
    const int fd = own.release();
    const QByteArray file = "fdclose://" + QByteArray::number(fd);
    if (sendCommand(core, {"loadfile", file.constData(), "replace", options.constData()}) < 0) {
        close(fd);
        return false;
    }
    return true;
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
    setShownPropertyAsync("pause", paused ? "yes" : "no");
    m_cores.askPauseState();
    // A pass that is about to end now ends paused, on its last frame.
    if (paused)
        m_loop.paused();
}

void MpvEngine::stop()
{
    setPaused(true);
    seekShown(0, /*exact=*/true);
}

void MpvEngine::seekTo(double seconds, bool exact)
{
    seekShown(seconds, exact);
}

void MpvEngine::seekShown(double seconds, bool exact)
{
    const QByteArray target = QByteArray::number(seconds, 'f', 6);
    m_shown.restarted = false;
    sendCommand(m_shown.core.get(),
                {"seek", target.constData(), exact ? "absolute+exact" : "absolute"},
                m_seeks.sent(seconds));
}

void MpvEngine::stepFrame(bool forward)
{
    setPaused(true);
    // By the file's own frame times where they are known: exactly one of its frames, whatever
    // its timing, and from the last frame (where mpv's own position may be the file's end)
    // as well as from any other.
    // From where a seek still under way goes, so that a step right after it is never lost.
    const double from = destination();
    const FrameTimes& times = m_frameTimes.times();
    if (const std::optional<double> next = times.frameStart(from, forward ? 1 : -1)) {
        seekShown(*next, /*exact=*/true);
        return;
    }
    if (times.isComplete() && times.frameAt(from)) {
        // Past either end a step wraps around, as playing does.
        if (!m_loop.isLooping())
            return;
        if (forward)
            startNextPass(/*paused=*/true);
        else
            seekShown(*times.frameStart(times.count() - 1), /*exact=*/true);
        return;
    }
    // Times not read (yet): an exact seek by one frame's time. Unlike mpv's frame-step it queues
    // behind a seek still in progress, so a step right after a seek is never lost.
    // Past either end it wraps around as well (a file longer than the times read, say).
    const double frame = frameDuration(*this);
    if (forward && m_loop.isLooping() && m_shown.duration > 0 &&
        from + 1.5 * frame > m_shown.duration) {
        startNextPass(/*paused=*/true);
        return;
    }
    if (!forward && m_loop.isLooping() && !m_passage && m_shown.duration > frame &&
        from < 0.5 * frame) {
        seekShown(frameStartAt(m_shown.duration - 0.5 * frame), /*exact=*/true);
        return;
    }
    const QByteArray amount = QByteArray::number(forward ? frame : -frame, 'f', 6);
    m_shown.restarted = false;
    sendCommand(m_shown.core.get(), {"seek", amount.constData(), "relative+exact"},
                m_seeks.sent(std::max(0.0, from + (forward ? frame : -frame))));
}

void MpvEngine::setSpeed(double speed)
{
    m_speed = speed;
    setPropertyAsync("speed", QByteArray::number(m_speed * m_speedNudge, 'f', 4).constData());
}

void MpvEngine::setSpeedNudge(double factor)
{
    if (factor == m_speedNudge)
        return;
    m_speedNudge = factor;
    setPropertyAsync("speed", QByteArray::number(m_speed * m_speedNudge, 'f', 4).constData());
}

void MpvEngine::setView(const ViewZoom& view)
{
    m_view = view;
    m_decoding.policy().setZoom(view.zoom);
    setPropertyAsync("video-zoom", QByteArray::number(view.zoom, 'f', 4).constData());
    setPropertyAsync("video-pan-x", QByteArray::number(view.panX, 'f', 5).constData());
    setPropertyAsync("video-pan-y", QByteArray::number(view.panY, 'f', 5).constData());
    updateLoopFilter();
}

void MpvEngine::saveFrame(const QString& path)
{
    m_saver.save(path, {m_shown.idle, &m_opened, frameStartAt(m_shown.position),
                        m_decoding.isMirrored(), m_shown.loopFilterSkipped});
}

bool MpvEngine::takeScreenshot(const QString& stagingPath)
{
    // "video": the decoded picture at its own size, without the view's zoom or scaling.
    const QByteArray file = encodeFileName(stagingPath);
    return sendCommand(m_shown.core.get(), {"screenshot-to-file", file.constData(), "video"},
                       kFrameSaveRequest) >= 0;
}

void MpvEngine::setVolume(int volume)
{
    setPropertyAsync("volume", QByteArray::number(volume).constData());
}

void MpvEngine::setMute(bool mute)
{
    m_muted = mute;
    applyMute();
}

void MpvEngine::setSilenced(bool silenced)
{
    m_silenced = silenced;
    applyMute();
}

void MpvEngine::applyMute()
{
    setPropertyAsync("mute", m_muted || m_silenced ? "yes" : "no");
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

void MpvEngine::setMirrored(bool mirrored)
{
    m_decoding.setMirrored(mirrored, {&m_shown, &m_waiting});
}

void MpvEngine::setAspectOverride(double aspect)
{
    // -1 is mpv's "as the file says". The aspect asked for is the upright picture's; mpv applies
    // it to the decoded one, before it is turned upright.
    if (aspect > 0 && (m_shown.rotation + m_shown.filterRotation) % 180 == 90)
        aspect = 1 / aspect;
    const QByteArray value = aspect > 0 ? QByteArray::number(aspect, 'f', 6) : "-1";
    setPropertyAsync("video-aspect-override", value.constData());
}

void MpvEngine::setScaledToFit(bool scaled)
{
    m_decoding.policy().setScaledToFit(scaled);
    setPropertyAsync("video-unscaled", scaled ? "no" : kSmallPicturesUnscaled);
    updateLoopFilter();
}

} // namespace tandemo
