#pragma once

#include "analysis/background_run.h"
#include "platform/regular_file.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace tandemo {

/// The frame showing at a moment: its number, counted from 0, and its own time.
struct FrameAt {
    qint64 number = 0;
    double seconds = 0;
};

/// When each frame of a file's video is shown, read by libavformat from the timestamps of its
/// packets (nothing is decoded), in seconds from the start of the file as the engine counts them.
/// Exact for any timing, steady or not, where a frame number worked out from the nominal rate
/// is not.
class FrameTimes {
public:
    FrameTimes() = default;
    /// `complete`: the times are all the file's frames, not only its first ones.
    explicit FrameTimes(std::vector<double> times, bool complete = true);

    /// Reads the file's frame times; empty when it has no video, cannot be read, or reading was
    /// cancelled (checked between packets).
    static FrameTimes read(const RegularFile& file, const std::atomic_bool& cancelled);

    /// The frame showing at `seconds` (the last one past the end); none when nothing is known,
    /// or when the moment lies past the frames read of a file too long to read them all.
    std::optional<FrameAt> frameAt(double seconds) const;
    /// When the frame `steps` frames from the one showing at `seconds` starts (an exact seek
    /// there lands on that frame); none when that frame is not among those known.
    std::optional<double> frameStart(double seconds, qint64 steps) const;
    /// The same for a frame by its number.
    std::optional<double> frameStart(qint64 number) const;
    /// Whether `seconds` lies after the start of the file's last frame (by more than a rounding),
    /// where no picture starts: only a longer sound goes on; false when the times are incomplete.
    bool isAfterLastFrameStart(double seconds) const;
    qint64 count() const { return qint64(m_times.size()); }
    /// Whether the times are of all the file's frames.
    bool isComplete() const { return m_complete; }

private:
    std::vector<double> m_times;
    bool m_complete = true;
};

/// Reads a file's frame times in the background, so that opening a file never waits for it.
class FrameTimesReader {
public:
    FrameTimesReader();

    /// Starts reading the frame times of the file (held open by the reader until it is done);
    /// until they are read, none are known.
    void read(RegularFile file);
    /// Forgets the times, and stops a reading under way.
    void clear();
    const FrameTimes& times() const { return m_times; }

private:
    BackgroundRun<FrameTimes> m_reading;
    FrameTimes m_times;
};

} // namespace tandemo
