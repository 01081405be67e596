#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>

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
    DisplayWidth,
    DisplayHeight,
    StoredWidth,
    StoredHeight,
    Codec,
    BitRate,
    Rotation,
};

// Ids of the asynchronous requests made while a file is held at its "on_preloaded" hook.
enum Request : std::uint64_t { PreloadedHook = 100, TrackList, UprightFilter };

} // namespace

void MpvCoreDeleter::operator()(mpv_handle* core) const
{
    mpv_terminate_destroy(core);
}

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
    for (const MpvOption& option : embeddedMpvOptions())
        setOption(option.name, option.value);
    setOption("vd-lavc-threads",
              QByteArray::number(decoderThreadsFor(QThread::idealThreadCount())).constData());
    if (!options.audioOutput)
        setOption("ao", "null");
    if (options.rotateBeforeRendering)
        setOption("video-rotate", "no");
    if (!options.hardwareDecoding)
        setOption("hwdec", "no");
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
    mpv_observe_property(handle, DisplayWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(handle, DisplayHeight, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(handle, Rotation, "video-params/rotate", MPV_FORMAT_INT64);
    mpv_observe_property(handle, StoredWidth, "width", MPV_FORMAT_INT64);
    mpv_observe_property(handle, StoredHeight, "height", MPV_FORMAT_INT64);
    mpv_observe_property(handle, Codec, "video-codec", MPV_FORMAT_STRING);
    mpv_observe_property(handle, BitRate, "video-bitrate", MPV_FORMAT_DOUBLE);
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
        case MPV_EVENT_COMMAND_REPLY:
            if (event->reply_userdata == kFrameSaveRequest && m_frameSave) {
                const std::unique_ptr<FrameSave> save = std::move(m_frameSave);
                emit frameSaved(save->destination(), save->finish(event->error >= 0));
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
    const auto text = [&] {
        return present ? QString::fromUtf8(*static_cast<char**>(property.data)) : QString();
    };
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
    case DisplayWidth:
        m_videoSize.setWidth(int(integer()));
        break;
    case DisplayHeight:
        m_videoSize.setHeight(int(integer()));
        break;
    case Rotation:
        m_rotation = integer();
        break;
    case StoredWidth:
        m_storedSize.setWidth(int(integer()));
        break;
    case StoredHeight:
        m_storedSize.setHeight(int(integer()));
        break;
    case Codec:
        // "h264 (H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10)": the short name is enough.
        m_codec = text().section(QLatin1Char(' '), 0, 0);
        break;
    case BitRate:
        m_bitRate = number();
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
    m_filterRotation = rotation;
    const QByteArray filter = videoFilters();
    const char* value = filter.constData();
    mpv_set_property_async(m_core.get(), UprightFilter, "vf", MPV_FORMAT_STRING, &value);
}

QSize MpvEngine::videoSize() const
{
    // Where the renderer turns the picture upright, the size reported is the picture's before.
    return m_rotation % 180 == 90 ? m_videoSize.transposed() : m_videoSize;
}

MediaFacts MpvEngine::facts() const
{
    if (m_idle)
        return {};
    MediaFacts facts{m_file, m_storedSize, m_codec, frameRate(), m_bitRate, m_position};
    // The frame showing, as the file's own timestamps count it; a time past the last frame (a
    // step beyond the end) is that frame's.
    if (const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(m_position)) {
        facts.frame = frame->number;
        facts.position = frame->seconds;
    }
    return facts;
}

} // namespace tandemo
