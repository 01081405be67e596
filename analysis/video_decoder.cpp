#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <QByteArrayList>

#include <cmath>

namespace tandemo {

VideoDecoder::VideoDecoder(const QString& path, const std::atomic_bool& cancelled, Detail detail)
{
    m_input = openLocalInput(path, cancelled);
    open(detail);
}

VideoDecoder::VideoDecoder(const RegularFile& file, const std::atomic_bool& cancelled,
                           Detail detail)
{
    m_input = openLocalInput(file, cancelled);
    open(detail);
}

void VideoDecoder::open(Detail detail)
{
    if (!m_input)
        return;
    const AVCodec* codec = nullptr;
    const int video = av_find_best_stream(m_input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (video < 0 || !codec)
        return;
    for (unsigned i = 0; i < m_input->nb_streams; ++i)
        m_input->streams[i]->discard = int(i) == video ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    m_stream = m_input->streams[video];
    m_start =
        m_input->start_time != AV_NOPTS_VALUE ? double(m_input->start_time) / AV_TIME_BASE : 0;
    LibavCodec decoder(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!decoder || !m_frame || !m_packet ||
        avcodec_parameters_to_context(decoder.get(), m_stream->codecpar) < 0)
        return;
    decoder->thread_count = 0; // as many as the machine has
    decoder->pkt_timebase = m_stream->time_base;
    if (detail != Detail::Full)
        decoder->skip_loop_filter = AVDISCARD_ALL;
    if (detail == Detail::KeyFramesOnly)
        decoder->skip_frame = AVDISCARD_NONKEY;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return;
    m_decoder = std::move(decoder);
}

VideoDecoder::~VideoDecoder() = default;

double VideoDecoder::duration() const
{
    return m_input && m_input->duration > 0 ? double(m_input->duration) / AV_TIME_BASE : 0;
}

bool VideoDecoder::isStill() const
{
    if (!m_input || !m_input->iformat)
        return false;
    const QByteArray reader = m_input->iformat->name;
    return reader == "image2" || reader.endsWith("_pipe");
}

int VideoDecoder::rotation() const
{
    if (!m_stream)
        return 0;
    const auto* matrix = reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(m_stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return 0;
    // The matrix turns counter-clockwise; shown upright, the picture is turned the other way.
    const double degrees = -av_display_rotation_get(matrix);
    if (std::isnan(degrees))
        return 0;
    return int(std::lround(degrees / 90) % 4 + 4) % 4 * 90;
}

bool VideoDecoder::setFilter(const QString& chain, QString* why)
{
    m_chain = chain.trimmed();
    m_filterEnded = false;
    m_filter.reset();
    if (m_chain.isEmpty() || !m_decoder)
        return m_decoder != nullptr;
    const PictureShape decoded = shape();
    m_filter = PictureFilter::make(m_chain, decoded, m_stream->time_base.num,
                                   m_stream->time_base.den, why);
    return m_filter != nullptr;
}

PictureShape VideoDecoder::shape() const
{
    if (m_filter)
        return m_filter->shape();
    if (!m_decoder)
        return {};
    const AVRational aspect =
        m_decoder->sample_aspect_ratio.num > 0 ? m_decoder->sample_aspect_ratio : AVRational{1, 1};
    return {m_decoder->width, m_decoder->height, int(m_decoder->pix_fmt), aspect.num, aspect.den};
}

AVFrame* VideoDecoder::next()
{
    if (!m_filter)
        return decodeNext();
    while (true) {
        if (AVFrame* filtered = m_filter->pull())
            return filtered;
        if (m_filterEnded)
            return nullptr;
        AVFrame* decoded = decodeNext();
        if (decoded)
            decoded->pts = decoded->best_effort_timestamp != AV_NOPTS_VALUE
                               ? decoded->best_effort_timestamp
                               : decoded->pts;
        else
            m_filterEnded = true;
        if (!m_filter->push(decoded))
            return nullptr;
    }
}

AVFrame* VideoDecoder::decodeNext()
{
    if (!m_decoder)
        return nullptr;
    while (true) {
        const int received = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (received == 0)
            return m_frame.get();
        if (received != AVERROR(EAGAIN) || m_draining)
            return nullptr;
        // The decoder wants more: the next packet of the stream, or the end.
        int read = 0;
        while ((read = av_read_frame(m_input.get(), m_packet.get())) >= 0 &&
               m_packet->stream_index != m_stream->index)
            av_packet_unref(m_packet.get());
        if (read < 0) {
            m_draining = true;
            avcodec_send_packet(m_decoder.get(), nullptr);
            continue;
        }
        const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
            return nullptr;
    }
}

void VideoDecoder::seekTo(double seconds)
{
    if (!m_decoder)
        return;
    const auto target = std::int64_t((seconds + m_start) / av_q2d(m_stream->time_base));
    if (av_seek_frame(m_input.get(), m_stream->index, target, AVSEEK_FLAG_BACKWARD) >= 0) {
        avcodec_flush_buffers(m_decoder.get());
        m_draining = false;
        // The chain may hold pictures of before: it starts afresh.
        if (m_filter) {
            QString unused;
            setFilter(m_chain, &unused);
        }
    }
}

QString filterProblem(const RegularFile& file, const QString& chain)
{
    if (chain.trimmed().isEmpty())
        return {};
    // A pane's chain is one line of filters; labels would join it to nothing.
    if (chain.contains(u'[') || chain.contains(u']') || chain.contains(u';'))
        return QStringLiteral("one chain of filters, without labels or ';', is taken here");
    if (const QString problem = filterChainProblem(chain); !problem.isEmpty())
        return problem;
    const std::atomic_bool never{false};
    VideoDecoder decoder(file, never);
    if (!decoder.isOpen())
        return {}; // the pane says what is wrong with the file itself
    QString why;
    return decoder.setFilter(chain, &why) ? QString() : why;
}

QByteArray shownAsFilters(int rotation, bool mirrored)
{
    QByteArrayList filters;
    if (rotation == 90)
        filters << "transpose=clock";
    else if (rotation == 180)
        filters << "hflip,vflip";
    else if (rotation == 270)
        filters << "transpose=cclock";
    if (mirrored)
        filters << "hflip";
    return filters.isEmpty() ? QByteArray("null") : filters.join(',');
}

double VideoDecoder::secondsOf(const AVFrame& frame) const
{
    const std::int64_t stamp =
        frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
    return stamp == AV_NOPTS_VALUE ? 0 : double(stamp) * av_q2d(m_stream->time_base) - m_start;
}

} // namespace tandemo
