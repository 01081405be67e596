#pragma once

#include "analysis/alignment_terms.h"
#include "analysis/background_run.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tandemo {

namespace alignment {
class KeyFrameSeries;
}

/// Finds the offset at which two recordings of one event line up, by their sound or by how their
/// pictures change, outside the players and in the background.
class AlignmentSearch : public QObject {
    Q_OBJECT
public:
    using By = alignment::By;
    using File = alignment::File;
    using Result = alignment::Result;
    static constexpr double kFarthestSeconds = alignment::kFarthestSeconds;
    static constexpr double kExcerptSeconds = alignment::kExcerptSeconds;

    explicit AlignmentSearch(QObject* parent = nullptr);
    ~AlignmentSearch() override;

    /// Starts a search, dropping the one under way.
    /// `holding` keeps the paths reaching the files meant while the search runs.
    void start(By by, const File& first, const File& second,
               std::shared_ptr<const void> holding = {});
    /// Stops the search under way; nothing is reported.
    void cancel();
    bool isRunning() const { return m_run.isRunning(); }

    /// Searches on the calling thread; none when a file has nothing to compare (no sound, no
    /// video) or it was cancelled. `progress` is told the share done, from 0 to 1.
    static std::optional<Result> search(By by, const File& first, const File& second,
                                        const std::atomic_bool& cancelled,
                                        const std::function<void(double)>& progress = {});

signals:
    void progressed(double share);
    /// The search ended: with a result, or none (nothing to compare).
    void finished(bool compared, const tandemo::AlignmentSearch::Result& result);

private:
    /// The one offset at which the takes line up best (no drift).
    static std::optional<Result> searchSteady(By by, const File& first, const File& second,
                                              const std::atomic_bool& cancelled,
                                              const std::function<void(double)>& report,
                                              alignment::KeyFrameSeries& keyFrames);
    /// By pictures: first by their key frames, then at full rate around that answer; none where
    /// that cannot be done or gives no clear answer.
    static std::optional<Result> searchCoarseThenFine(const File& first, const File& second,
                                                      const std::atomic_bool& cancelled,
                                                      const std::function<void(double)>& report,
                                                      alignment::KeyFrameSeries& keyFrames);

    BackgroundRun<Result> m_run;
};

} // namespace tandemo
