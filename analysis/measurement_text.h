#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <limits>

namespace tandemo {

/// How far one frame of a second video is from the first's frame at the same moment.
struct QualitySample {
    /// The first video's frame, counted from 0, and its time in seconds.
    qint64 frame = 0;
    double seconds = 0;
    /// In decibels (infinite where the frames are equal), and from 0 to 1 (1: equal).
    double psnr = 0;
    double ssim = 0;
    /// The same of each plane (Y, U, V; not a number where the picture has no such plane), and
    /// the mean sum of absolute differences, from 0 (equal) to 1.
    std::array<double, 3> planePsnr{kNone, kNone, kNone};
    std::array<double, 3> planeSsim{kNone, kNone, kNone};
    double msad = kNone;
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    bool operator==(const QualitySample&) const = default;
};

/// One rendition's figures against the reference; none, and why, where it cannot be compared.
struct RenditionMeasurement {
    QString path;
    bool compared = false;
    QString why;
    QList<QualitySample> samples;
};

struct QualitySummary {
    /// The PSNR of the mean squared error over all frame pairs (as ffmpeg's `psnr` averages),
    /// and the mean SSIM.
    double meanPsnr = 0;
    double meanSsim = 0;
    /// Frame pairs that are equal (of infinite PSNR).
    int identical = 0;
    /// The frames of the lowest SSIM and of the lowest PSNR.
    QualitySample worst;
    QualitySample worstPsnr;
    /// Each plane's PSNR (of its mean squared error) and mean SSIM, and the mean MSAD.
    std::array<double, 3> planePsnr{};
    std::array<double, 3> planeSsim{};
    double meanMsad = 0;
};

QualitySummary summarise(const QList<QualitySample>& samples);
/// How long a stretch of the first video the samples cover, in seconds.
double comparedSeconds(const QList<QualitySample>& samples);
/// The averages, the worst frame and the stretch compared, in three lines of text.
QString measurementsSummary(const QList<QualitySample>& samples);
/// The figures as comma-separated values with a header row (frame, time, PSNR, SSIM), then the
/// summary as lines that start with "#".
QString measurementsAsCsv(const QList<QualitySample>& samples);

/// The same for several renditions, with a column that names each, then each one's summary.
QString measurementsAsCsv(const QList<RenditionMeasurement>& renditions);
/// One rendition's figures as one line of JSON (file, frames, seconds compared, average and
/// worst SSIM and PSNR with their frames), or the reason it has none.
QByteArray measurementAsJson(const QString& reference, const RenditionMeasurement& rendition,
                             double secondAhead, double rate);

} // namespace tandemo
