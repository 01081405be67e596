#pragma once

#include <cstdint>
#include <optional>

namespace tandemo {

/// Follows the seeks sent to the core showing, each by an id of its own. A core runs its
/// commands in order and merges a seek still pending into the next one, so once the reply to
/// the latest seek has come, the next restart is that seek's; the first position told after it
/// is where the seek went. Until then, positions and restarts of earlier seeks tell nothing.
class SeekTracker {
public:
    /// Whether `reply` (a command's reply id) belongs to a seek.
    static bool isSeek(std::uint64_t reply) { return reply >= kFirstId; }

    /// A seek to `target` is sent; returns the id its reply carries.
    std::uint64_t sent(double target);
    /// The core has taken the seek with this id (or refused it).
    void replied(std::uint64_t id, bool taken);
    /// The core restarted playback.
    void restarted();
    /// The core told of a position.
    void positionTold();
    /// Forgets every seek under way (a new file, another core showing).
    void forget();

    /// Where the seeks under way go, if any.
    std::optional<double> target() const { return m_target; }

private:
    enum class Stage { None, Sent, Taken, Restarted };
    static constexpr std::uint64_t kFirstId = std::uint64_t(1) << 32;
    std::uint64_t m_lastId = kFirstId;
    Stage m_stage = Stage::None;
    std::optional<double> m_target;
};

} // namespace tandemo
