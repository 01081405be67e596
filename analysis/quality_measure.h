#pragma once

#include "analysis/background_run.h"
#include "analysis/measurement_text.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tandemo {

/// Which of the two videos are shown mirrored, and so compared mirrored.
struct Mirrors {
    bool first = false;
    bool second = false;
};

/// A video compared as its pane shows it: aligned with the reference by `secondAhead` (its time
/// when the reference's is 0) and `rate` (its time at the reference's t: t × rate +
/// secondAhead), mirrored or not, through its pane's filter chain (none: as decoded).
struct MeasuredVideo {
    QString path;
    double secondAhead = 0;
    double rate = 1;
    bool mirrored = false;
    QString filter;
};

/// Compares videos frame by frame with libavfilter's own `psnr` and `ssim` filters: each frame
/// of a reference with each rendition's frame at the same moment (the rendition scaled to the
/// reference's size), over the stretch both have, each as it is shown (filtered as its pane
/// filters it, turned upright as its file says, mirrored where its pane is). The reference is
/// decoded once for all the renditions. Works in the background; its results come back on the
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
    /// The same, for every rendition against the reference at once.
    void start(const MeasuredVideo& reference, const QList<MeasuredVideo>& renditions,
               std::shared_ptr<const void> holding = {});
    /// Stops the comparison under way; its results are dropped.
    void cancel();
    /// Stops, and drops the last comparison's figures too.
    void clear();
    bool isRunning() const { return m_run.isRunning(); }
    /// The last complete comparison's figures (none until one is complete): of the first
    /// rendition, and of each.
    const QList<QualitySample>& samples() const;
    const QList<RenditionMeasurement>& results() const { return m_results; }

    /// Compares on the calling thread; none when a file cannot be read or it was cancelled.
    /// `progress` is told the share done, from 0 to 1.
    static std::optional<QList<QualitySample>>
    measure(const QString& first, const QString& second, double secondAhead,
            const std::atomic_bool& cancelled, const std::function<void(double)>& progress = {},
            Mirrors mirrors = {}, double rate = 1);
    /// Every rendition against the reference; none when the reference cannot be read or it was
    /// cancelled.
    static std::optional<QList<RenditionMeasurement>>
    measureAll(const MeasuredVideo& reference, const QList<MeasuredVideo>& renditions,
               const std::atomic_bool& cancelled, const std::function<void(double)>& progress = {});

signals:
    void progressed(double share);
    /// The comparison ended: complete, or not (a file could not be read).
    void finished(bool complete);

private:
    BackgroundRun<QList<RenditionMeasurement>> m_run;
    QList<RenditionMeasurement> m_results;
};

} // namespace tandemo
