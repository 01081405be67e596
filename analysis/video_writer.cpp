#include "analysis/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

constexpr int kSoundBitRate = 128000;
// The largest picture players decode: 8K UHD, within H.264's highest level (6.2). A larger
// comparison (two 8K videos side by side) is scaled down to fit.
constexpr QSize kLargestPicture(8192, 4320);

QSize encodedSizeOf(QSize pictures)
{
    if (pictures.width() <= kLargestPicture.width() &&
        pictures.height() <= kLargestPicture.height())
        return pictures;
    const QSize fitted = pictures.scaled(kLargestPicture, Qt::KeepAspectRatio);
    return {std::max(2, fitted.width() / 2 * 2), std::max(2, fitted.height() / 2 * 2)};
}

/// The container a name asks for, of those that take H.264 and AAC: MP4 for a name without a
/// known kind, none for a kind that cannot hold them.
const char* containerFor(const QString& path)
{
    const QString kind = QFileInfo(path).suffix().toLower();
    if (kind == "mkv")
        return "matroska";
    if (kind == "mov")
        return "mov";
    if (kind.isEmpty() || kind == "mp4" || kind == "m4v")
        return "mp4";
    const QByteArray name = path.toUtf8();
    return av_guess_format(nullptr, name.constData(), nullptr) ? nullptr : "mp4";
}

} // namespace

void VideoWriter::OutputCloser::operator()(AVFormatContext* output) const
{
    if (output->pb)
        avio_closep(&output->pb);
    avformat_free_context(output);
}

VideoWriter::VideoWriter(const QString& path, QSize size, double framesPerSecond, int soundRate,
                         int colourMatrix)
    : m_picture(av_frame_alloc())
    , m_soundFrame(av_frame_alloc())
    , m_packet(av_packet_alloc())
    , m_size(size.width() / 2 * 2, size.height() / 2 * 2)
    , m_encodedSize(encodedSizeOf(m_size))
{
    AVFormatContext* output = nullptr;
    const QByteArray name = path.toUtf8();
    if (m_size.isEmpty()) {
        m_error = QStringLiteral("a picture of %1×%2 is too small to encode (2×2 at the least)")
                      .arg(size.width())
                      .arg(size.height());
        return;
    }
    const char* container = containerFor(path);
    if (!container) {
        m_error = QStringLiteral("cannot write H.264 video into a .%1 file: name it .mp4, .mkv "
                                 "or .mov")
                      .arg(QFileInfo(path).suffix());
        return;
    }
    if (!m_picture || !m_soundFrame || !m_packet ||
        fail("cannot make the file",
             avformat_alloc_output_context2(&output, nullptr, container, name.constData())))
        return;
    m_output.reset(output);
    if (!openVideo(framesPerSecond, colourMatrix) || (soundRate > 0 && !openSound(soundRate)))
        return;
    // Only the local file given: libav's other protocols are never reached.
    if (fail("cannot open the file", avio_open(&m_output->pb, name.constData(), AVIO_FLAG_WRITE)) ||
        fail("cannot write the file", avformat_write_header(m_output.get(), nullptr)))
        return;
    m_open = true;
}

VideoWriter::~VideoWriter() = default;

QString VideoWriter::videoCodec() const
{
    return m_video.codec ? QString::fromUtf8(m_video.codec->codec->name) : QString();
}

bool VideoWriter::fail(const char* what, int code)
{
    if (code >= 0)
        return false;
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, reason, sizeof reason);
    m_error = QStringLiteral("%1: %2").arg(QString::fromUtf8(what), QString::fromUtf8(reason));
    m_open = false;
    return true;
}

bool VideoWriter::openVideo(double framesPerSecond, int colourMatrix)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    m_video.codec.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    m_video.stream = avformat_new_stream(m_output.get(), nullptr);
    if (!m_video.codec || !m_video.stream)
        return !fail("no video encoder", AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext& context = *m_video.codec;
    context.width = m_encodedSize.width();
    context.height = m_encodedSize.height();
    context.pix_fmt = AV_PIX_FMT_YUV420P;
    context.color_range = AVCOL_RANGE_MPEG;
    context.colorspace = AVColorSpace(colourMatrix);
    context.framerate = av_d2q(framesPerSecond > 0 ? framesPerSecond : 25, 1001000);
    context.time_base = av_inv_q(context.framerate);
    context.thread_count = 0;
    if (codec->id == AV_CODEC_ID_H264) {
        av_opt_set(context.priv_data, "preset", "veryfast", 0);
        av_opt_set(context.priv_data, "crf", "23", 0);
    } else {
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = FF_QP2LAMBDA * 3;
    }
    if (!openEncoder(m_video, codec, "cannot open the video encoder", "cannot describe the video"))
        return false;
    m_video.stream->avg_frame_rate = context.framerate;
    m_picture->format = AV_PIX_FMT_YUV420P;
    m_picture->width = context.width;
    m_picture->height = context.height;
    m_scaler.reset(sws_getContext(m_size.width(), m_size.height(), AV_PIX_FMT_BGR0, context.width,
                                  context.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                  nullptr, nullptr));
    return m_scaler && !fail("out of memory", av_frame_get_buffer(m_picture.get(), 0));
}

bool VideoWriter::openEncoder(Encoder& encoder, const AVCodec* codec, const char* cannotOpen,
                              const char* cannotDescribe)
{
    AVCodecContext& context = *encoder.codec;
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
        context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (fail(cannotOpen, avcodec_open2(&context, codec, nullptr)) ||
        fail(cannotDescribe, avcodec_parameters_from_context(encoder.stream->codecpar, &context)))
        return false;
    encoder.stream->time_base = context.time_base;
    return true;
}

bool VideoWriter::openSound(int rate)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    m_sound.codec.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    m_sound.stream = avformat_new_stream(m_output.get(), nullptr);
    if (!m_sound.codec || !m_sound.stream)
        return !fail("no sound encoder", AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext& context = *m_sound.codec;
    context.sample_fmt = AV_SAMPLE_FMT_FLTP;
    context.sample_rate = rate;
    context.ch_layout = AV_CHANNEL_LAYOUT_MONO;
    context.bit_rate = kSoundBitRate;
    context.time_base = {1, rate};
    if (!openEncoder(m_sound, codec, "cannot open the sound encoder", "cannot describe the sound"))
        return false;
    m_soundFrame->format = context.sample_fmt;
    m_soundFrame->sample_rate = rate;
    m_soundFrame->nb_samples = context.frame_size > 0 ? context.frame_size : 1024;
    return !fail("cannot describe the sound",
                 av_channel_layout_copy(&m_soundFrame->ch_layout, &context.ch_layout)) &&
           !fail("out of memory", av_frame_get_buffer(m_soundFrame.get(), 0));
}

bool VideoWriter::encode(Encoder& encoder, const AVFrame* frame)
{
    if (fail("cannot encode", avcodec_send_frame(encoder.codec.get(), frame)))
        return false;
    while (true) {
        const int received = avcodec_receive_packet(encoder.codec.get(), m_packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (fail("cannot encode", received))
            return false;
        av_packet_rescale_ts(m_packet.get(), encoder.codec->time_base, encoder.stream->time_base);
        m_packet->stream_index = encoder.stream->index;
        if (fail("cannot write the file",
                 av_interleaved_write_frame(m_output.get(), m_packet.get())))
            return false;
    }
}

bool VideoWriter::writePicture(const std::uint8_t* pixels, int stride)
{
    if (!m_open || fail("out of memory", av_frame_make_writable(m_picture.get())))
        return false;
    const std::uint8_t* planes[] = {pixels};
    const int strides[] = {stride};
    sws_scale(m_scaler.get(), planes, strides, 0, m_size.height(), m_picture->data,
              m_picture->linesize);
    return encodePicture(*m_picture);
}

bool VideoWriter::writePicture(AVFrame& picture)
{
    if (!m_open)
        return false;
    if (picture.format != AV_PIX_FMT_YUV420P || picture.width != m_size.width() ||
        picture.height != m_size.height())
        return !fail("cannot encode", AVERROR(EINVAL));
    if (m_encodedSize == m_size)
        return encodePicture(picture);
    // Scaled down to what players decode, in YUV as it came.
    if (fail("out of memory", av_frame_make_writable(m_picture.get())))
        return false;
    m_frameScaler.reset(
        sws_getCachedContext(m_frameScaler.release(), m_size.width(), m_size.height(),
                             AV_PIX_FMT_YUV420P, m_encodedSize.width(), m_encodedSize.height(),
                             AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_frameScaler)
        return !fail("out of memory", AVERROR(ENOMEM));
    sws_scale(m_frameScaler.get(), picture.data, picture.linesize, 0, m_size.height(),
              m_picture->data, m_picture->linesize);
    return encodePicture(*m_picture);
}

bool VideoWriter::encodePicture(AVFrame& picture)
{
    picture.pts = m_video.next++;
    return encode(m_video, &picture);
}

bool VideoWriter::encodeSoundFrame(std::size_t count)
{
    if (fail("out of memory", av_frame_make_writable(m_soundFrame.get())))
        return false;
    const auto size = std::size_t(m_soundFrame->nb_samples);
    auto* channel = reinterpret_cast<float*>(m_soundFrame->data[0]);
    std::copy_n(m_pendingSound.begin(), std::min(count, size), channel);
    // The last frame is filled up with silence.
    std::fill(channel + std::min(count, size), channel + size, 0.0f);
    m_pendingSound.erase(m_pendingSound.begin(),
                         m_pendingSound.begin() + std::ptrdiff_t(std::min(count, size)));
    m_soundFrame->pts = m_sound.next;
    m_sound.next += m_soundFrame->nb_samples;
    return encode(m_sound, m_soundFrame.get());
}

bool VideoWriter::writeSound(const float* samples, std::size_t count)
{
    if (!m_open || !m_sound.codec)
        return m_open;
    m_pendingSound.insert(m_pendingSound.end(), samples, samples + count);
    const auto size = std::size_t(m_soundFrame->nb_samples);
    while (m_pendingSound.size() >= size) {
        if (!encodeSoundFrame(size))
            return false;
    }
    return true;
}

bool VideoWriter::finish()
{
    if (!m_open || m_finished)
        return m_open;
    m_finished = true;
    if (m_sound.codec && !m_pendingSound.empty() && !encodeSoundFrame(m_pendingSound.size()))
        return false;
    for (Encoder* encoder : {&m_video, &m_sound}) {
        if (encoder->codec && !encode(*encoder, nullptr))
            return false;
    }
    if (fail("cannot write the file", av_write_trailer(m_output.get())) ||
        fail("cannot write the file", avio_closep(&m_output->pb)))
        return false;
    return true;
}

} // namespace tandemo
