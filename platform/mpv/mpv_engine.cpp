#include "platform/mpv/mpv_engine.h"

#include "platform/file_names.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcMpv, "tandemo.mpv", QtWarningMsg)

namespace tandemo {

namespace {

enum ObservedProperty : std::uint64_t {
    Pause = 1,
    Idle,
    Position,
    Duration,
    ContainerFps,
    MeasuredFps,
    OutputDrops,
    DecoderDrops,
};

// Ids of the asynchronous requests made while a file is held at its "on_preloaded" hook.
enum Request : std::uint64_t { PreloadedHook = 100, TrackList, UprightFilter };

struct Option {
    const char* name;
    const char* value;
};

// The player is embedded: nothing of the user's mpv set-up, no scripts, no key bindings and no
// on-screen controller of mpv's own (the player has its own controls).
constexpr Option kEmbeddedOptions[] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"terminal", "no"},
    {"vo", "libmpv"},
    {"hwdec", "auto-safe"},
    // Stay alive without a file, and unload a file that ends (unless looping).
    {"idle", "yes"},
    {"keep-open", "no"},
    // Keep the video's aspect; shrink a large video to fit but never enlarge a small one.
    {"keepaspect", "yes"},
    {"video-unscaled", "downscale-big"},
    // Hand each frame to the renderer when it is due, not ahead of time: the views draw a frame
    // as soon as they get it (a render call that waited for the due time would stall the other
    // player), so a frame handed over early would be shown early, and the first frame after each
    // loop restart only in passing.
    {"video-timing-offset", "0"},
    // Keep what was read in the demuxer cache, so the jump back to the start at a loop's end is
    // served from memory instead of a new read and a fresh demuxer start.
    // The cache is bounded per player, so that two long films don't hold hundreds of megabytes:
    // a clip up to 48 MiB (about 45 s of 1080p) loops entirely from memory.
    {"cache", "yes"},
    {"demuxer-seekable-cache", "yes"},
    {"demuxer-max-bytes", "48MiB"},
    {"demuxer-max-back-bytes", "48MiB"},
    // Scale software-rendered video with zimg's bilinear filter: measured on two 1080p panes it
    // costs about a tenth less CPU than the default lanczos, and colours stay within 3 steps of
    // ffmpeg's own decode (swscale instead cost half as much again).
    {"zimg-scaler", "bilinear"},
    // The desktop's sound servers, then the sound card itself. Outputs that are process-wide
    // (SDL) or need a server of their own (JACK) are left out: with two players in one process
    // the second could not open them and would stall.
    {"ao", "pipewire,pulse,alsa"},
    // With no sound device the video still plays, timed as if the sound were heard.
    {"audio-fallback-to-null", "yes"},
    {"volume", "50"},
    {"mute", "no"},
    // A file plays only what it holds itself: a playlist or reference file under a video's name
    // must not make the player open other files, let alone reach the network.
    {"access-references", "no"},
    {"demuxer-lavf-o", "protocol_whitelist=file"},
    {"load-unsafe-playlists", "no"},
    {"ordered-chapters", "no"},
    // Nor does it look beside the file: no subtitle, audio or cover-art files of the same name
    // (a pipe there would block the player, a link lead elsewhere), no saved positions, and none
    // of mpv's own scripts or profiles.
    {"autoload-files", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
    {"resume-playback", "no"},
    {"load-auto-profiles", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
};

// The filter that turns a picture upright, for a clockwise rotation in degrees (0 for none).
QByteArray uprightFilter(std::int64_t rotation)
{
    switch (((rotation % 360) + 360 + 45) % 360 / 90) {
    case 1:
        return "lavfi=[transpose=clock]";
    case 2:
        return "lavfi=[hflip,vflip]";
    case 3:
        return "lavfi=[transpose=cclock]";
    default:
        return "";
    }
}

// The rotation of the video track mpv will pick (the default one, else the first), from the
// node of "track-list".
std::int64_t videoRotation(const mpv_node& trackList)
{
    if (trackList.format != MPV_FORMAT_NODE_ARRAY)
        return 0;
    std::int64_t first = -1;
    for (int i = 0; i < trackList.u.list->num; ++i) {
        const mpv_node& track = trackList.u.list->values[i];
        if (track.format != MPV_FORMAT_NODE_MAP)
            continue;
        bool video = false;
        bool isDefault = false;
        std::int64_t rotation = 0;
        for (int k = 0; k < track.u.list->num; ++k) {
            const std::string_view key = track.u.list->keys[k];
            const mpv_node& value = track.u.list->values[k];
            if (key == "type" && value.format == MPV_FORMAT_STRING)
                video = std::string_view(value.u.string) == "video";
            else if (key == "default" && value.format == MPV_FORMAT_FLAG)
                isDefault = value.u.flag != 0;
            else if (key == "demux-rotation" && value.format == MPV_FORMAT_INT64)
                rotation = value.u.int64;
        }
        if (!video)
            continue;
        if (isDefault)
            return rotation;
        if (first < 0)
            first = rotation;
    }
    return std::max<std::int64_t>(first, 0);
}

} // namespace

std::unique_ptr<MpvEngine> MpvEngine::create(const MpvEngineOptions& options, QString* error)
{
    // mpv refuses to start unless numbers are formatted the C way; QApplication has set the
    // locale from the environment by now.
    std::setlocale(LC_NUMERIC, "C");

    MpvCore core(mpv_create());
    if (!core) {
        if (error)
            *error = QStringLiteral("The video engine could not be created.");
        return nullptr;
    }
    const auto setOption = [&](const char* name, const char* value) {
        if (const int status = mpv_set_option_string(core.get(), name, value); status < 0)
            qCWarning(lcMpv, "mpv option %s=%s: %s", name, value, mpv_error_string(status));
    };
    for (const Option& option : kEmbeddedOptions)
        setOption(option.name, option.value);
    if (!options.audioOutput)
        setOption("ao", "null");
    if (options.rotateBeforeRendering)
        setOption("video-rotate", "no");
    for (const auto& [name, value] : options.extraOptions)
        setOption(name.c_str(), value.c_str());

    if (const int status = mpv_initialize(core.get()); status < 0) {
        if (error)
            *error = QStringLiteral("The video engine could not start: %1")
                         .arg(QString::fromUtf8(mpv_error_string(status)));
        return nullptr;
    }
    auto engine = std::unique_ptr<MpvEngine>(new MpvEngine(std::move(core)));
    if (options.rotateBeforeRendering)
        mpv_hook_add(engine->handle(), PreloadedHook, "on_preloaded", 0);
    return engine;
}

MpvEngine::MpvEngine(MpvCore core)
    : m_core(std::move(core))
{
    mpv_handle* handle = m_core.get();
    mpv_request_log_messages(handle, "warn");
    mpv_observe_property(handle, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, Idle, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, Position, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, ContainerFps, "container-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, MeasuredFps, "estimated-vf-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, OutputDrops, "frame-drop-count", MPV_FORMAT_INT64);
    mpv_observe_property(handle, DecoderDrops, "decoder-frame-drop-count", MPV_FORMAT_INT64);
    mpv_set_wakeup_callback(handle, &MpvEngine::onWakeup, this);
}

MpvEngine::~MpvEngine()
{
    // No callback may reach this object once it is gone; the core is destroyed after this.
    mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
}

double MpvEngine::frameRate() const
{
    return m_containerFps > 0 ? m_containerFps : std::max(m_measuredFps, 0.0);
}

void MpvEngine::onWakeup(void* engine)
{
    // Called on one of mpv's threads: only post to the GUI thread.
    auto* self = static_cast<MpvEngine*>(engine);
    self->m_wakeup.post(self, &MpvEngine::drainEvents);
}

void MpvEngine::drainEvents()
{
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_core.get(), 0);
        switch (event->event_id) {
        case MPV_EVENT_NONE:
            return;
        case MPV_EVENT_PROPERTY_CHANGE:
            handlePropertyChange(event->reply_userdata,
                                 *static_cast<mpv_event_property*>(event->data));
            break;
        case MPV_EVENT_FILE_LOADED:
            emit fileLoaded();
            break;
        case MPV_EVENT_HOOK:
            handleHook(*static_cast<mpv_event_hook*>(event->data));
            break;
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (event->reply_userdata == TrackList)
                rotateUpright(event->error >= 0 ? static_cast<mpv_event_property*>(event->data)
                                                : nullptr);
            break;
        case MPV_EVENT_SET_PROPERTY_REPLY:
            // The filter is in place (or could not be set): the file may go on.
            if (event->reply_userdata == UprightFilter && m_pendingHook) {
                mpv_hook_continue(m_core.get(), std::exchange(m_pendingHook, 0));
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            emit playbackRestarted();
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<mpv_event_end_file*>(event->data);
            if (end->reason == MPV_END_FILE_REASON_ERROR)
                emit fileFailed(QString::fromUtf8(mpv_error_string(end->error)));
            break;
        }
        case MPV_EVENT_LOG_MESSAGE: {
            const auto* message = static_cast<mpv_event_log_message*>(event->data);
            qCDebug(lcMpv).noquote()
                << message->prefix << QString::fromUtf8(message->text).trimmed();
            break;
        }
        default:
            break;
        }
    }
}

void MpvEngine::handlePropertyChange(std::uint64_t id, const mpv_event_property& property)
{
    const bool present = property.format != MPV_FORMAT_NONE && property.data;
    const auto flag = [&] { return present && *static_cast<int*>(property.data) != 0; };
    const auto number = [&] { return present ? *static_cast<double*>(property.data) : 0.0; };
    const auto integer = [&] {
        return present ? *static_cast<std::int64_t*>(property.data) : std::int64_t{0};
    };

    switch (id) {
    case Pause:
        m_paused = flag();
        emit pausedChanged(m_paused);
        break;
    case Idle:
        m_idle = flag();
        emit idleChanged(m_idle);
        break;
    case Position:
        m_position = number();
        emit positionChanged(m_position);
        break;
    case Duration:
        m_duration = number();
        emit durationChanged(m_duration);
        break;
    case ContainerFps:
        m_containerFps = number();
        break;
    case MeasuredFps:
        m_measuredFps = number();
        break;
    case OutputDrops:
        m_outputDrops = integer();
        break;
    case DecoderDrops:
        m_decoderDrops = integer();
        break;
    default:
        break;
    }
}

void MpvEngine::handleHook(const mpv_event_hook& hook)
{
    // The file is open and its tracks known, but nothing is decoded yet. Its rotation is asked
    // for, the filter that undoes it set, and only then the file goes on; each step is
    // asynchronous, so the GUI thread never waits for the core. The core itself waits for the
    // continue, which is why that last call cannot stall on it.
    m_pendingHook = hook.id;
    mpv_get_property_async(m_core.get(), TrackList, "track-list", MPV_FORMAT_NODE);
}

void MpvEngine::rotateUpright(const mpv_event_property* trackList)
{
    std::int64_t rotation = 0;
    if (trackList && trackList->format == MPV_FORMAT_NODE && trackList->data)
        rotation = videoRotation(*static_cast<mpv_node*>(trackList->data));
    // The filter is set for every file, so that one file's rotation never stays for the next.
    const QByteArray filter = uprightFilter(rotation);
    const char* value = filter.constData();
    mpv_set_property_async(m_core.get(), UprightFilter, "vf", MPV_FORMAT_STRING, &value);
}

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
    setPaused(startPaused);
    const QByteArray file = encodeFileName(path);
    commandAsync({"loadfile", file.constData(), "replace"});
}

void MpvEngine::unload()
{
    commandAsync({"stop"});
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
    const double fps = frameRate();
    const double frame = fps > 0 ? 1.0 / fps : 0.04;
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

void MpvEngine::setVolume(int volume)
{
    setPropertyAsync("volume", QByteArray::number(volume).constData());
}

void MpvEngine::setMute(bool mute)
{
    setPropertyAsync("mute", mute ? "yes" : "no");
}

void MpvEngine::setLoop(bool loop)
{
    m_looping = loop;
    // loop-file stays set for every file loaded later, as the player's loop mode must.
    setPropertyAsync("loop-file", loop ? "inf" : "no");
}

} // namespace tandemo
