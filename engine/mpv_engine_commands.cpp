#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"
#include "platform/file_names.h"

#include <mpv/client.h>

#include <vector>

// The commands the engine sends its core: each is queued without waiting for the core.

namespace tandemo {

void MpvEngine::setPropertyAsync(const char* name, const char* value)
{
    const char* arguments[] = {"set", name, value, nullptr};
    mpv_command_async(m_core.get(), 0, arguments);
}

void MpvEngine::commandAsync(std::initializer_list<const char*> arguments)
{
    std::vector<const char*> command(arguments);
    command.push_back(nullptr);
    mpv_command_async(m_core.get(), 0, command.data());
}

void MpvEngine::loadFile(const QString& path, bool startPaused)
{
    m_file = path;
    // Only regular files are opened, whenever they are (a replay too: the name may have been
    // taken by something else since): a pipe or a device could block the core for good.
    if (isPresentButNotAFile(path)) {
        m_frameTimes.clear();
        commandAsync({"stop"});
        emit fileFailed(QStringLiteral("not a regular file"));
        return;
    }
    setPaused(startPaused);
    setPassage(std::nullopt);
    m_frameTimes.read(path);
    const QByteArray file = encodeFileName(path);
    const QByteArray options = fileCacheOptions(fileSizeOf(path));
    commandAsync({"loadfile", file.constData(), "replace", options.constData()});
    emit loadStarted(startPaused);
}

void MpvEngine::unload()
{
    m_file.clear();
    m_frameTimes.clear();
    commandAsync({"stop"});
}

void MpvEngine::play()
{
    // A file that ended (with loop mode off) left the core idle: it is played again.
    if (m_idle && !m_file.isEmpty())
        loadFile(m_file, false);
    else if (!m_idle)
        setPaused(false);
}

void MpvEngine::setPaused(bool paused)
{
    setPropertyAsync("pause", paused ? "yes" : "no");
}

void MpvEngine::stop()
{
    setPaused(true);
    commandAsync({"seek", "0", "absolute+exact"});
}

void MpvEngine::seekTo(double seconds, bool exact)
{
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    commandAsync({"seek", target.constData(), exact ? "absolute+exact" : "absolute"});
}

void MpvEngine::stepFrame(bool forward)
{
    // An exact seek by one frame's time: unlike mpv's frame-step it queues behind a seek still
    // in progress, so a step right after a seek is never lost.
    const double frame = frameDuration(*this);
    setPaused(true);
    const QByteArray amount = QByteArray::number(forward ? frame : -frame, 'f', 6);
    commandAsync({"seek", amount.constData(), "relative+exact"});
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
    setPropertyAsync("video-zoom", QByteArray::number(view.zoom, 'f', 4).constData());
    setPropertyAsync("video-pan-x", QByteArray::number(view.panX, 'f', 5).constData());
    setPropertyAsync("video-pan-y", QByteArray::number(view.panY, 'f', 5).constData());
}

void MpvEngine::saveFrame(const QString& path)
{
    // One save at a time: each holds a decoded frame and its encoding, and a held key would
    // otherwise queue them by the hundred.
    if (m_frameSave) {
        emit frameSaveRefused();
        return;
    }
    auto save = std::make_unique<FrameSave>(path);
    // "video": the decoded picture at its own size, without the view's zoom or scaling.
    const QByteArray file = encodeFileName(save->stagingPath());
    const char* arguments[] = {"screenshot-to-file", file.constData(), "video", nullptr};
    if (!save->isReady() || mpv_command_async(m_core.get(), kFrameSaveRequest, arguments) < 0) {
        emit frameSaved(path, false);
        return;
    }
    m_frameSave = std::move(save);
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
    setPropertyAsync("ab-loop-a", start.constData());
    setPropertyAsync("ab-loop-b", end.constData());
    emit passageChanged();
}

QByteArray MpvEngine::videoFilters() const
{
    QByteArrayList filters;
    if (const QByteArray upright = uprightFilter(m_filterRotation); !upright.isEmpty())
        filters << upright;
    if (m_mirrored)
        filters << "hflip";
    return filters.join(',');
}

void MpvEngine::setMirrored(bool mirrored)
{
    if (mirrored == m_mirrored)
        return;
    m_mirrored = mirrored;
    setPropertyAsync("vf", videoFilters().constData());
}

void MpvEngine::setAspectOverride(double aspect)
{
    // -1 is mpv's "as the file says". The aspect asked for is the upright picture's; mpv applies
    // it to the decoded one, before it is turned upright.
    if (aspect > 0 && (m_rotation + m_filterRotation) % 180 == 90)
        aspect = 1 / aspect;
    const QByteArray value = aspect > 0 ? QByteArray::number(aspect, 'f', 6) : "-1";
    setPropertyAsync("video-aspect-override", value.constData());
}

void MpvEngine::setScaledToFit(bool scaled)
{
    setPropertyAsync("video-unscaled", scaled ? "no" : kSmallPicturesUnscaled);
}

void MpvEngine::setLoop(bool loop)
{
    m_looping = loop;
    // loop-file stays set for every file loaded later, as the player's loop mode must.
    setPropertyAsync("loop-file", loop ? "inf" : "no");
}

} // namespace tandemo
