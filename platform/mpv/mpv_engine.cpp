#include "platform/mpv/mpv_engine.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

Q_LOGGING_CATEGORY(lcMpv, "tandemo.mpv", QtWarningMsg)

namespace tandemo {

namespace {

enum ObservedProperty : std::uint64_t { Pause = 1, Idle, Position, Duration };

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
};

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
    for (const auto& [name, value] : options.extraOptions)
        setOption(name.c_str(), value.c_str());

    if (const int status = mpv_initialize(core.get()); status < 0) {
        if (error)
            *error = QStringLiteral("The video engine could not start: %1")
                         .arg(QString::fromUtf8(mpv_error_string(status)));
        return nullptr;
    }
    return std::unique_ptr<MpvEngine>(new MpvEngine(std::move(core)));
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
    mpv_set_wakeup_callback(handle, &MpvEngine::onWakeup, this);
}

MpvEngine::~MpvEngine()
{
    // No callback may reach this object once it is gone; the core is destroyed after this.
    mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
}

std::int64_t MpvEngine::integerProperty(const char* name) const
{
    std::int64_t value = 0;
    if (mpv_get_property(m_core.get(), name, MPV_FORMAT_INT64, &value) < 0)
        return -1;
    return value;
}

double MpvEngine::numberProperty(const char* name) const
{
    double value = 0;
    if (mpv_get_property(m_core.get(), name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::numeric_limits<double>::quiet_NaN();
    return value;
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
    default:
        break;
    }
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
    const QByteArray file = path.toUtf8();
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
    double fps = numberProperty("container-fps");
    if (std::isnan(fps) || fps <= 0)
        fps = numberProperty("estimated-vf-fps");
    const double frame = std::isnan(fps) || fps <= 0 ? 0.04 : 1.0 / fps;
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
