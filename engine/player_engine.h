#pragma once

#include "analysis/media_facts.h"
#include "engine/playback_engine.h"

#include <QSize>
#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tandemo {

class PanesPlaying;
class RenderContext;
struct OpenGLSetUp;

struct EngineOptions {
    /// Off plays the sound to a null output: timing as with sound, nothing audible. Tests and
    /// benchmarks use it; the program plays sound.
    bool audioOutput = true;
    /// Turns rotated videos upright in the filter chain, so that the renderer only ever gets
    /// unrotated pictures. mpv's software renderer needs this: it aborts on a picture to be
    /// turned by 90 or 270 degrees.
    bool rotateBeforeRendering = false;
    /// Off decodes on the CPU only. Where pictures are drawn by the CPU, frames a GPU decoded
    /// would only be copied back, and looking for a decoder costs time at every load. Decoding
    /// on the CPU, the engine also leaves out the work a pane too small to show it cannot show.
    bool hardwareDecoding = true;
    /// A looping file starts its next pass without a pause: a second core waits at its start.
    bool gaplessLoop = true;
    /// The window's panes that play, which share the machine's cores (none: the pane counts
    /// alone).
    std::shared_ptr<PanesPlaying> panesPlaying;
    /// Further options of the engine's own, by name, set after the player's; for measuring
    /// alternatives.
    std::vector<std::pair<std::string, std::string>> extraOptions;
};

/// The engine as a player widget drives it: the transport of every engine, and the file it
/// plays, its sound, its looping, how its picture is shaped and how large it is shown, the facts
/// it tells, and the contexts that draw its frames.
class PlayerEngine : public PlaybackEngine {
    Q_OBJECT
public:
    using PlaybackEngine::PlaybackEngine;

    /// Replaces whatever is playing with the file; returns at once.
    virtual void loadFile(const QString& path, bool startPaused) = 0;
    /// Unloads the current file, leaving the engine idle.
    virtual void unload() = 0;
    virtual void setVolume(int volume) = 0;
    virtual void setMute(bool mute) = 0;
    virtual void setLoop(bool loop) = 0;
    /// Shows the picture with this width-to-height ratio whatever its own; 0 returns to its own.
    virtual void setAspectOverride(double aspect) = 0;
    /// Scales every picture to fill its area (aspect kept), small ones too; off returns to
    /// showing small pictures at their own size.
    virtual void setScaledToFit(bool scaled) = 0;
    /// The size, in pixels, of the area the picture is drawn into: how large it is shown.
    virtual void setPictureArea(QSize pixels) = 0;
    /// What the file is, as far as the engine has read it, and where it plays.
    virtual MediaFacts facts() const = 0;

    /// Where its frames are drawn by the CPU, or by OpenGL (see RenderContext); null when the
    /// engine cannot draw that way.
    virtual std::unique_ptr<RenderContext> softwareRenderContext() = 0;
    virtual std::unique_ptr<RenderContext> openGLRenderContext(const OpenGLSetUp& setUp) = 0;

signals:
    /// Another decoder shows from now on: its current picture is the one to draw.
    void shownDecoderChanged();
};

/// Makes the engine a player plays with (one decoder, and a second for the gapless loop), or
/// returns nullptr and the reason.
std::unique_ptr<PlayerEngine> createPlayerEngine(const EngineOptions& options, QString* error);

} // namespace tandemo
