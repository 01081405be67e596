#pragma once

#include "analysis/background_run.h"
#include "compose/comparison_look.h"
#include "compose/export_frames.h"
#include "engine/playback_engine.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace tandemo {

/// Renders a comparison of two videos as a new video file, in the background: side by side, or
/// laid over each other as the comparison's view lays them, with each side's label burned in
/// and the sound of the side heard. The file is written whole beside its destination and only
/// then given its name, never over a file that is there; stopped or failed, nothing is left.
class ComparisonExport : public QObject {
    Q_OBJECT
public:
    /// What to export.
    struct Plan {
        ExportLayout layout = ExportLayout::SideBySide;
        std::array<QString, 2> files;
        std::array<QString, 2> labels;
        std::array<bool, 2> mirrored{};
        /// The libavfilter chains each side's pictures go through (empty: none).
        std::array<QString, 2> filters;
        /// The second's moment at the first's moment t: t × rate + secondAhead.
        double secondAhead = 0;
        double rate = 1;
        /// The stretch exported, in the first's times; none: all that both have.
        std::optional<Passage> passage;
        /// Whose sound: a side's (0 or 1), or both mixed (-1).
        int heard = -1;
        ComparisonLook look;
        QString destination;
        /// What keeps `files` reaching the files meant while the export runs.
        std::shared_ptr<const void> holding;
    };
    enum class Outcome { Done, Stopped, Failed };

    explicit ComparisonExport(QObject* parent = nullptr);

    /// Starts an export, dropping the one under way; a destination that is there already is
    /// refused at once.
    void start(const Plan& plan);
    void cancel();
    bool isRunning() const { return m_run.isRunning(); }

signals:
    void progressed(double share);
    /// How it ended; `detail`: the file written, or what went wrong.
    void finished(tandemo::ComparisonExport::Outcome outcome, const QString& detail);

private:
    struct Ending {
        Outcome outcome = Outcome::Failed;
        QString detail;
    };
    static Ending run(const Plan& plan, const std::atomic_bool& cancelled,
                      const std::function<void(double)>& progress);

    BackgroundRun<Ending> m_run;
};

} // namespace tandemo
