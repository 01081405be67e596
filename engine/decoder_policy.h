#pragma once

#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>

namespace tandemo {

/// The panes of one window that have a file to play: they share the machine's cores. The window
/// gives one to each of its engines.
class PanesPlaying {
public:
    int count() const { return m_count; }
    void join() { ++m_count; }
    void leave() { --m_count; }

private:
    int m_count = 0;
};

/// How a pane decodes for what it shows: with how many threads (fewer while other panes play
/// too), whether the loop filter is left out (where the picture is shown too small for it to be
/// seen, and only on the CPU), and with how many threads its picture is scaled. Decides only:
/// the engine sets its decoder as it says.
class DecoderPolicy {
public:
    /// `cpuDecoding`: only a decoder on the CPU can leave the loop filter out. `panes`: the
    /// window's panes that play (none: this pane counts alone).
    DecoderPolicy(bool cpuDecoding, std::shared_ptr<PanesPlaying> panes);
    ~DecoderPolicy();
    DecoderPolicy(const DecoderPolicy&) = delete;
    DecoderPolicy& operator=(const DecoderPolicy&) = delete;

    /// Whether this pane has a file to play.
    void setPlaying(bool playing);
    /// Decoder threads for a video of that stored size.
    int threadsFor(QSize video) const;
    bool decodesOnCpu() const { return m_cpuDecoding; }
    /// Whether a picture of that stored size and rotation is shown large enough that its loop
    /// filter can be seen; and whether its decoder leaves the filter out, then.
    bool loopFilterShows(QSize stored, std::int64_t rotation) const;
    bool skipsLoopFilter(QSize stored, std::int64_t rotation) const;

    /// How the picture is shown: the area it is drawn into, in pixels; its zoom (a power of
    /// two); whether small pictures are scaled up to fill it.
    /// Returns the scaler's threads to set ("1" or "0": as many as there are cores) when the
    /// area calls for other ones.
    std::optional<const char*> setPictureArea(QSize pixels);
    void setZoom(double zoom) { m_zoom = zoom; }
    void setScaledToFit(bool scaled) { m_scaledToFit = scaled; }

private:
    bool m_cpuDecoding;
    std::shared_ptr<PanesPlaying> m_panes;
    bool m_playing = false;
    QSize m_area;
    double m_zoom = 0;
    bool m_scaledToFit = false;
};

} // namespace tandemo
