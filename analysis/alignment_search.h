#pragma once

#include "analysis/background_run.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tandemo {

/// Finds the offset at which two recordings of one event line up, by their sound or by how their
/// pictures change, outside the players and in the background.
class AlignmentSearch : public QObject {
    Q_OBJECT
public:
    enum class By { Sound, Picture };
    /// Where one of the two files is, so that a long file is searched around that moment.
    struct File {
        QString path;
        double position = 0;
        double duration = 0;
    };
    struct Result {
        /// How far the second is ahead of the first when they line up.
        double secondAhead = 0;
        /// The peak of the match against its spread, and whether that is clear enough to use.
        double strength = 0;
        /// How far the peak stands above any other (see Match::uniqueness).
        double uniqueness = 0;
        bool clear = false;
    };

    /// How far apart the two may be, and how much of each is compared.
    static constexpr double kFarthestSeconds = 60;
    static constexpr double kExcerptSeconds = 120;
    /// The least strength of a match that is used, and how far above any other lag's it must be.
    static constexpr double kClearStrength = 12;
    static constexpr double kClearUniqueness = 1.5;

    explicit AlignmentSearch(QObject* parent = nullptr);
    ~AlignmentSearch() override;

    /// Starts a search, dropping the one under way.
    void start(By by, const File& first, const File& second);
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
    /// By pictures: first by their key frames, then at full rate around that answer; none where
    /// that cannot be done or gives no clear answer.
    static std::optional<Result> searchCoarseThenFine(const File& first, const File& second,
                                                      const std::atomic_bool& cancelled,
                                                      const std::function<void(double)>& report);

    BackgroundRun<Result> m_run;
};

} // namespace tandemo
