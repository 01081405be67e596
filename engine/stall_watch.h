#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace tandemo {

/// Watches that a playing pane's picture moves on. Playing, the picture changes at every frame;
/// one that stays three seconds longer than its frame lasts is held for good (its file rewritten
/// under it, say), whatever held it.
class StallWatch : public QObject {
    Q_OBJECT
public:
    /// How long the picture showing lasts at the speed played, in seconds; none while nothing
    /// plays (paused, idle, loading), when there is nothing to move.
    using FrameLasts = std::function<std::optional<double>()>;
    static constexpr double kStalledSeconds = 3;
    static constexpr int kCheckMs = 500;

    explicit StallWatch(FrameLasts frameLasts, QObject* parent = nullptr);

    /// The picture moved on: the wait starts again, and so does the count of stalls.
    void moved();
    /// The wait starts again (playing resumed, say), the count of stalls kept.
    void restart() { m_since.restart(); }

signals:
    /// The picture is held; `times`: how often in a row since it last moved.
    void stalled(int times);

private:
    void check();

    FrameLasts m_frameLasts;
    QTimer m_check;
    QElapsedTimer m_since;
    int m_stalls = 0;
};

} // namespace tandemo
