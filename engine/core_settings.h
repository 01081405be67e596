#pragma once

#include "engine/core_decoding.h"
#include "engine/core_pair.h"
#include "engine/playback_engine.h"

#include <QSize>

namespace tandemo {

/// What the user set that both cores share alike (the waiting one shows next): the speed, with
/// the link's nudge on it, the volume and mute (and silenced while another pane is heard), and
/// how the picture is shown: its zoom and pan, its aspect, whether small pictures are scaled to
/// fit, and how large its area is.
class CoreSettings {
public:
    CoreSettings(CorePair& cores, CoreDecoding& decoding);

    double speed() const { return m_speed; }
    /// The speed the cores play at: the user's, nudged.
    double playingSpeed() const { return m_speed * m_speedNudge; }
    void setSpeed(double speed);
    void setSpeedNudge(double factor);

    void setVolume(int volume);
    void setMute(bool mute);
    void setSilenced(bool silenced);
    bool isSilenced() const { return m_silenced; }

    ViewZoom view() const { return m_view; }
    void setView(const ViewZoom& view);
    /// The picture's width-to-height ratio, whatever its own (0: its own); `rotation`: how far
    /// the core showing turns the picture upright.
    void setAspectOverride(double aspect, std::int64_t rotation);
    void setScaledToFit(bool scaled);
    void setPictureArea(QSize pixels);

private:
    void applySpeed();
    void applyMute();
    void updateLoopFilter();

    CorePair& m_cores;
    CoreDecoding& m_decoding;
    double m_speed = 1.0;
    double m_speedNudge = 1.0;
    bool m_muted = false;
    bool m_silenced = false;
    ViewZoom m_view;
};

} // namespace tandemo
