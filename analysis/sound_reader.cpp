#include "analysis/sound_reader.h"

#include "analysis/local_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <memory>

namespace tandemo {

namespace {

// How far a frame may start after the samples before it end, in samples, before the space
// between is taken for lost sound: encoders' rounding stays well inside it.
constexpr std::size_t kLeeway = 8;

struct ResamplerFreer {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};

} // namespace

std::optional<SoundExcerpt> readSound(const QString& path, double from, double seconds, int rate,
                                      const std::atomic_bool& cancelled)
{
    const LocalInput input = openLocalInput(path, cancelled);
    if (!input)
        return std::nullopt;
    const AVCodec* codec = nullptr;
    const int audio = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (audio < 0 || !codec)
        return std::nullopt;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        input->streams[i]->discard = int(i) == audio ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVStream* stream = input->streams[audio];
    const double fileStart =
        input->start_time != AV_NOPTS_VALUE ? double(input->start_time) / AV_TIME_BASE : 0;

    const LibavCodec decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return std::nullopt;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return std::nullopt;

    SwrContext* made = nullptr;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    if (swr_alloc_set_opts2(&made, &mono, AV_SAMPLE_FMT_FLT, rate, &decoder->ch_layout,
                            decoder->sample_fmt, decoder->sample_rate, 0, nullptr) < 0)
        return std::nullopt;
    const std::unique_ptr<SwrContext, ResamplerFreer> resampler(made);
    if (swr_init(resampler.get()) < 0)
        return std::nullopt;

    if (from > 0) {
        const auto target = std::int64_t((from + fileStart) * AV_TIME_BASE);
        avformat_seek_file(input.get(), -1, INT64_MIN, target, target, 0);
    }
    SoundExcerpt excerpt;
    excerpt.rate = rate;
    const std::size_t wanted = std::size_t(seconds * rate);
    excerpt.samples.reserve(wanted);
    bool started = false;
    const LibavFrame frame(av_frame_alloc());
    const LibavPacket packet(av_packet_alloc());
    if (!frame || !packet)
        return std::nullopt;

    const auto take = [&](const AVFrame& decoded) {
        const std::int64_t stamp = decoded.best_effort_timestamp;
        if (!started) {
            // The excerpt's time is its first frame's: the resampler's own delay is a few
            // samples at most, well under what matters here.
            excerpt.start =
                stamp != AV_NOPTS_VALUE ? double(stamp) * av_q2d(stream->time_base) - fileStart : 0;
            started = true;
        }
        // Each frame goes where its timestamp puts it: sound that was lost (a gap in the
        // recording, frames that could not be decoded) is silence, so that what follows keeps
        // its time.
        if (stamp != AV_NOPTS_VALUE) {
            const double at = double(stamp) * av_q2d(stream->time_base) - fileStart - excerpt.start;
            const auto place = std::size_t(std::max(0.0, at * rate));
            const std::size_t queued =
                std::size_t(std::max<std::int64_t>(0, swr_get_delay(resampler.get(), rate)));
            const std::size_t filled = excerpt.samples.size() + queued;
            if (place > filled + kLeeway)
                excerpt.samples.resize(std::min(place - queued, wanted), 0.0f);
        }
        const int room = swr_get_out_samples(resampler.get(), decoded.nb_samples);
        if (room <= 0)
            return;
        const std::size_t at = excerpt.samples.size();
        excerpt.samples.resize(at + std::size_t(room));
        auto* out = reinterpret_cast<std::uint8_t*>(excerpt.samples.data() + at);
        const int converted = swr_convert(resampler.get(), &out, room,
                                          const_cast<const std::uint8_t**>(decoded.extended_data),
                                          decoded.nb_samples);
        excerpt.samples.resize(at + std::size_t(std::max(0, converted)));
    };

    while (!cancelled && excerpt.samples.size() < wanted &&
           av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == audio &&
            avcodec_send_packet(decoder.get(), packet.get()) >= 0) {
            while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
                take(*frame);
                av_frame_unref(frame.get());
            }
        }
        av_packet_unref(packet.get());
    }
    if (cancelled || excerpt.samples.empty())
        return std::nullopt;
    if (excerpt.samples.size() > wanted)
        excerpt.samples.resize(wanted);
    return excerpt;
}

} // namespace tandemo
