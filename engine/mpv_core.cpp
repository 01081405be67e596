#include "engine/mpv_core.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <vector>

#include <unistd.h>

#include <QThread>

Q_LOGGING_CATEGORY(lcMpv, "tandemo.mpv", QtWarningMsg)

namespace tandemo {

namespace {

// The id of the "on_preloaded" hook each core waits at for every file.
constexpr std::uint64_t kPreloadedHook = 100;

/// A value an observed property reported (or none, while the core has none).
struct Reported {
    const mpv_event_property& property;
    bool present() const { return property.format != MPV_FORMAT_NONE && property.data; }
    bool flag() const { return present() && *static_cast<int*>(property.data) != 0; }
    double number() const { return present() ? *static_cast<double*>(property.data) : 0.0; }
    std::int64_t integer() const
    {
        return present() ? *static_cast<std::int64_t*>(property.data) : std::int64_t{0};
    }
    QString text() const
    {
        return present() ? QString::fromUtf8(*static_cast<char**>(property.data)) : QString();
    }
};

struct PropertyRow {
    MpvProperty id;
    const char* name;
    mpv_format format;
    void (*store)(MpvCoreState& state, const Reported& value);
};

using P = MpvProperty;
using S = MpvCoreState;
using R = Reported;

// One row per property the engine observes: adding one is a row here and a field of the state.
const PropertyRow kProperties[] = {
    {P::Pause, "pause", MPV_FORMAT_FLAG, [](S& s, const R& v) { s.paused = v.flag(); }},
    {P::Idle, "idle-active", MPV_FORMAT_FLAG, [](S& s, const R& v) { s.idle = v.flag(); }},
    {P::Position, "time-pos", MPV_FORMAT_DOUBLE, [](S& s, const R& v) { s.position = v.number(); }},
    {P::Duration, "duration", MPV_FORMAT_DOUBLE, [](S& s, const R& v) { s.duration = v.number(); }},
    {P::ContainerFps, "container-fps", MPV_FORMAT_DOUBLE,
     [](S& s, const R& v) { s.containerFps = v.number(); }},
    {P::MeasuredFps, "estimated-vf-fps", MPV_FORMAT_DOUBLE,
     [](S& s, const R& v) { s.measuredFps = v.number(); }},
    {P::OutputDrops, "frame-drop-count", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.outputDrops = v.integer(); }},
    {P::DecoderDrops, "decoder-frame-drop-count", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.decoderDrops = v.integer(); }},
    {P::DisplayWidth, "dwidth", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.videoSize.setWidth(int(v.integer())); }},
    {P::DisplayHeight, "dheight", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.videoSize.setHeight(int(v.integer())); }},
    {P::Rotation, "video-params/rotate", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.rotation = v.integer(); }},
    {P::StoredWidth, "width", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.storedSize.setWidth(int(v.integer())); }},
    {P::StoredHeight, "height", MPV_FORMAT_INT64,
     [](S& s, const R& v) { s.storedSize.setHeight(int(v.integer())); }},
    // "h264 (H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10)": the short name is enough.
    {P::Codec, "video-codec", MPV_FORMAT_STRING,
     [](S& s, const R& v) { s.codec = v.text().section(QLatin1Char(' '), 0, 0); }},
    {P::BitRate, "video-bitrate", MPV_FORMAT_DOUBLE,
     [](S& s, const R& v) { s.bitRate = v.number(); }},
    {P::AtEnd, "eof-reached", MPV_FORMAT_FLAG, [](S& s, const R& v) { s.atEnd = v.flag(); }},
    {P::WaitingForData, "paused-for-cache", MPV_FORMAT_FLAG,
     [](S& s, const R& v) { s.waitingForData = v.flag(); }},
};

} // namespace

bool passOverloaded(const MpvCoreState& state)
{
    constexpr std::int64_t kMostDropsInAPass = 12;
    return state.outputDrops - state.dropsAtPassStart > kMostDropsInAPass;
}

int sendCommand(mpv_handle* core, std::initializer_list<const char*> arguments, std::uint64_t reply)
{
    std::vector<const char*> command(arguments);
    command.push_back(nullptr);
    return mpv_command_async(core, reply, command.data());
}

bool loadFileInto(mpv_handle* core, RegularFile own, bool gaplessLoop, double start)
{
    if (!own.isOpen())
        return false;
    QByteArrayList optionList{fileCacheOptions(own.size(), gaplessLoop)};
    if (start > 0)
        optionList << "start=" + QByteArray::number(start, 'f', 6);
    optionList.removeAll(QByteArray());
    const QByteArray options = optionList.join(',');
    const int fd = own.release();
    const QByteArray file = "fdclose://" + QByteArray::number(fd);
    if (sendCommand(core, {"loadfile", file.constData(), "replace", options.constData()}) < 0) {
        ::close(fd);
        return false;
    }
    return true;
}

MpvCore createCore(const EngineOptions& options, QString* error)
{
    mpv_handle* created = mpv_create();
    if (!created) {
        if (error)
            *error = QStringLiteral("The video engine could not be created.");
        return nullptr;
    }
    MpvCore core(created, &mpv_terminate_destroy);
    const auto setOption = [&](const char* name, const char* value) {
        if (const int status = mpv_set_option_string(core.get(), name, value); status < 0)
            qCWarning(lcMpv, "mpv option %s=%s: %s", name, value, mpv_error_string(status));
    };
    for (const MpvOption& option : embeddedMpvOptions())
        setOption(option.name, option.value);
    setOption("vd-lavc-threads",
              QByteArray::number(decoderThreadsFor(QThread::idealThreadCount())).constData());
    // A pass that ends holds its last picture, playing on, until the other core takes over.
    setOption("keep-open-pause", "no");
    if (!options.audioOutput)
        setOption("ao", "null");
    if (options.rotateBeforeRendering)
        setOption("video-rotate", "no");
    if (!options.hardwareDecoding) {
        // No codec may be decoded by hardware, whatever the spelling of hwdec: the engine
        // changes that spelling to have the decoder opened anew with other settings.
        setOption("hwdec", "no");
        setOption("hwdec-codecs", "");
    }
    for (const auto& [name, value] : options.extraOptions)
        setOption(name.c_str(), value.c_str());

    if (const int status = mpv_initialize(core.get()); status < 0) {
        if (error)
            *error = QStringLiteral("The video engine could not start: %1")
                         .arg(QString::fromUtf8(mpv_error_string(status)));
        return nullptr;
    }
    mpv_hook_add(core.get(), kPreloadedHook, "on_preloaded", 0);
    return core;
}

void observeProperties(mpv_handle* core)
{
    // Only while they are shown: a damaged or rewritten file makes the decoders complain
    // thousands of times a second, and each message would wake the GUI thread.
    mpv_request_log_messages(core, lcMpv().isDebugEnabled() ? "warn" : "no");
    for (const PropertyRow& row : kProperties)
        mpv_observe_property(core, std::uint64_t(row.id), row.name, row.format);
}

std::optional<MpvProperty> storeProperty(MpvCoreState& state, std::uint64_t id,
                                         const mpv_event_property& property)
{
    for (const PropertyRow& row : kProperties) {
        if (std::uint64_t(row.id) == id) {
            row.store(state, Reported{property});
            return row.id;
        }
    }
    return std::nullopt;
}

} // namespace tandemo
