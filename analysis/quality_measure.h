#pragma once

#include "analysis/background_run.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tandemo {

/// How far one frame of a second video is from the first's frame at the same moment.
struct QualitySample {
    /// The first video's frame, counted from 0, and its time in seconds.
    qint64 frame = 0;
    double seconds = 0;
    /// In decibels (infinite where the frames are equal), and from 0 to 1 (1: equal).
    double psnr = 0;
    double ssim = 0;
};

/// Which of the two videos are shown mirrored, and so compared mirrored.
struct Mirrors {
    bool first = false;
    bool second = false;
};

struct QualitySummary {
    /// The PSNR of the mean squared error over all frame pairs (as ffmpeg's `psnr` averages),
    /// and the mean SSIM.
    double meanPsnr = 0;
    double meanSsim = 0;
    /// Frame pairs that are equal (of infinite PSNR).
    int identical = 0;
    /// The frame of the lowest SSIM.
    QualitySample worst;
};

/// Compares two videos frame by frame with libavfilter's own `psnr` and `ssim` filters: each
/// frame of the first with the second's frame at the same moment (the second scaled to the
/// first's size), over the stretch both have, each as it is shown (turned upright as its file
/// says, mirrored where its pane is). Works in the background; its results come back on the
/// thread that owns it.
class QualityMeasure : public QObject {
    Q_OBJECT
public:
    explicit QualityMeasure(QObject* parent = nullptr);
    ~QualityMeasure() override;

    /// Starts comparing, dropping any comparison under way. `secondAhead`: how far the second
    /// video is ahead of the first (its time when the first's is 0); `rate`: how fast its time
    /// goes on against the first's (its time at the first's t: t × rate + secondAhead).
    /// `holding` keeps the names reaching the files meant while the comparison runs.
    void start(const QString& first, const QString& second, double secondAhead,
               Mirrors mirrors = {}, double rate = 1, std::shared_ptr<const void> holding = {});
    /// Stops the comparison under way; its results are dropped.
    void cancel();
    /// Stops, and drops the last comparison's figures too.
    void clear();
    bool isRunning() const { return m_run.isRunning(); }
    /// The last complete comparison's figures (none until one is complete).
    const QList<QualitySample>& samples() const { return m_samples; }

    /// Compares on the calling thread; none when a file cannot be read or it was cancelled.
    /// `progress` is told the share done, from 0 to 1.
    static std::optional<QList<QualitySample>>
    measure(const QString& first, const QString& second, double secondAhead,
            const std::atomic_bool& cancelled, const std::function<void(double)>& progress = {},
            Mirrors mirrors = {}, double rate = 1);

signals:
    void progressed(double share);
    /// The comparison ended: complete, or not (a file could not be read).
    void finished(bool complete);

private:
    BackgroundRun<QList<QualitySample>> m_run;
    QList<QualitySample> m_samples;
};

QualitySummary summarise(const QList<QualitySample>& samples);
/// How long a stretch of the first video the samples cover, in seconds.
double comparedSeconds(const QList<QualitySample>& samples);
/// The averages, the worst frame and the stretch compared, in three lines of text.
QString measurementsSummary(const QList<QualitySample>& samples);
/// The figures as comma-separated values with a header row (frame, time, PSNR, SSIM), then the
/// summary as lines that start with "#".
QString measurementsAsCsv(const QList<QualitySample>& samples);

} // namespace tandemo
