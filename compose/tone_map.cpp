#include "compose/tone_map.h"

#include "analysis/local_input.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <QCoreApplication>

namespace tandemo {

namespace {

// Below this share of white's light the picture is left as it is.
constexpr double kKeptBelowWhite = 0.8;

double peakOf(const AVStream& stream)
{
    size_t size = 0;
    if (const auto* light = reinterpret_cast<const AVContentLightMetadata*>(
            av_stream_get_side_data(&stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &size));
        light && size >= sizeof(AVContentLightMetadata) && light->MaxCLL > 0)
        return light->MaxCLL;
    if (const auto* display = reinterpret_cast<const AVMasteringDisplayMetadata*>(
            av_stream_get_side_data(&stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &size));
        display && size >= sizeof(AVMasteringDisplayMetadata) && display->has_luminance &&
        display->max_luminance.den > 0)
        return av_q2d(display->max_luminance);
    return 0;
}

} // namespace

HdrSignal readHdrSignal(const RegularFile& file, const std::atomic_bool& cancelled)
{
    const LocalInput input = openLocalInput(file, cancelled);
    if (!input)
        return {};
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return {};
    const AVStream& stream = *input->streams[index];
    HdrSignal signal;
    switch (stream.codecpar->color_trc) {
    case AVCOL_TRC_SMPTE2084:
        signal.transfer = Transfer::Pq;
        break;
    case AVCOL_TRC_ARIB_STD_B67:
        signal.transfer = Transfer::Hlg;
        break;
    default:
        return {};
    }
    signal.metadataPeakNits = peakOf(stream);
    return signal;
}

double assumedPeakNits(const HdrSignal& signal, double chosenNits)
{
    if (chosenNits > 0)
        return chosenNits;
    return signal.metadataPeakNits > 0 ? signal.metadataPeakNits : kUnsaidPeakNits;
}

QString toneMapChain(const HdrSignal& signal, double chosenNits)
{
    if (!signal.isHdr())
        return {};
    const double peak = std::max(1.0, assumedPeakNits(signal, chosenNits) / kSdrWhiteNits);
    const QString curve =
        peak > 1
            ? QStringLiteral("mobius:param=%1:peak=%2").arg(kKeptBelowWhite).arg(peak, 0, 'f', 4)
            : QStringLiteral("clip:peak=1");
    // Each step says what it takes: a frame that is not tagged (or tagged wrongly) is taken
    // for what the file says it holds.
    return QStringLiteral("zscale=tin=%1:min=2020_ncl:pin=2020:rin=tv:t=linear:p=2020:npl=%2,"
                          "format=gbrpf32le,zscale=tin=linear:pin=2020:t=linear:p=bt709,"
                          "tonemap=%3:desat=0,"
                          "zscale=tin=linear:pin=bt709:t=bt709:p=bt709:m=bt709:r=tv,"
                          "format=yuv420p")
        .arg(signal.transfer == Transfer::Pq ? "smpte2084" : "arib-std-b67")
        .arg(kSdrWhiteNits)
        .arg(curve);
}

QString toneMapDescription(const HdrSignal& signal, double chosenNits)
{
    if (!signal.isHdr())
        return {};
    return QCoreApplication::translate("tandemo::ToneMap", "%1 mapped to SDR, peak %2 nits")
        .arg(signal.transfer == Transfer::Pq ? "PQ" : "HLG")
        .arg(assumedPeakNits(signal, chosenNits), 0, 'f', 0);
}

} // namespace tandemo
