#include "analysis/black_bars.h"

#include "analysis/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/frame.h>
}

namespace tandemo {

namespace {

int metadataInt(const AVFrame& frame, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(frame.metadata, key, nullptr, 0);
    return entry ? QByteArray(entry->value).toInt() : -1;
}

} // namespace

std::optional<QString> blackBarsCrop(const QString& path, const std::atomic_bool& cancelled)
{
    VideoDecoder decoder(path, cancelled, VideoDecoder::Detail::Rough);
    QString why;
    // A dark opening must not decide: the crop is of the widest picture found (reset=0), over
    // pictures from ten places across the file.
    if (!decoder.isOpen() ||
        !decoder.setFilter(QStringLiteral("cropdetect=limit=24:round=2:reset=0"), &why))
        return std::nullopt;
    const double duration = decoder.duration();
    int width = -1, height = -1, x = 0, y = 0;
    for (int place = 0; place < 10 && !cancelled; ++place) {
        if (duration > 0)
            decoder.seekTo(duration * place / 10);
        // Past the key frame, a few pictures in.
        for (int i = 0; i < 5; ++i) {
            AVFrame* frame = decoder.next();
            if (!frame)
                break;
            const int w = metadataInt(*frame, "lavfi.cropdetect.w");
            const int h = metadataInt(*frame, "lavfi.cropdetect.h");
            if (w > 0 && h > 0 && std::int64_t(w) * h > std::int64_t(width) * height) {
                width = w;
                height = h;
                x = metadataInt(*frame, "lavfi.cropdetect.x");
                y = metadataInt(*frame, "lavfi.cropdetect.y");
            }
        }
        if (duration <= 0)
            break;
    }
    if (cancelled || width <= 0)
        return std::nullopt;
    if (width >= decoder.codec().width && height >= decoder.codec().height)
        return QString();
    return QStringLiteral("crop=%1:%2:%3:%4").arg(width).arg(height).arg(x).arg(y);
}

} // namespace tandemo
