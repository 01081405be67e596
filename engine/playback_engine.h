#pragma once

#include "platform/regular_file.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <cmath>
#include <optional>

namespace tandemo {

/// Which part of the picture a pane shows: the zoom (a power of two, 0 for the whole picture
/// fitted to the pane) and the pan, in fractions of the zoomed picture's size. Being relative to
/// the picture, the same view shows the same region of two encodes of different sizes.
struct ViewZoom {
    double zoom = 0;
    double panX = 0;
    double panY = 0;
    bool operator==(const ViewZoom&) const = default;
};

/// One libavfilter chain that runs `first`, then `second` (either may be empty).
inline QString joinedChains(const QString& first, const QString& second)
{
    return first.isEmpty() || second.isEmpty() ? first + second : first + ',' + second;
}

/// What plays a player's video: the state it reports and the transport commands it takes.
/// Commands return at once; the state follows when the engine reports it. The mpv engine is the
/// real one; the rules that keep linked players together work on this interface alone.
/// A part of a file, looped instead of the whole: from `start` to `end`, in seconds.
struct Passage {
    double start = 0;
    double end = 0;
    bool operator==(const Passage&) const = default;
};

class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// The file loaded last, as it was given; empty when none was.
    virtual QString file() const = 0;
    /// That file as the engine opened and judged it, opened once more for a reader of its own
    /// (whatever is at its name now); an engine that holds none opens the name.
    virtual RegularFile openedFile() const { return RegularFile::open(file()); }
    virtual bool isPaused() const = 0;
    /// No file is loaded (none was given, it failed, or it ended without looping).
    virtual bool isIdle() const = 0;
    virtual double position() const = 0;
    /// Where the engine is going: the moment a seek under way goes to, else its position. A
    /// seek relative to it counts on the seeks asked for before, however fast they came.
    virtual double destination() const { return position(); }
    virtual double duration() const = 0;
    /// The file is a still picture (a PNG, a JPEG...): one frame that stays, with no time to
    /// play through, loop or step in. Known from fileLoaded on.
    virtual bool isStill() const { return false; }
    /// Frames per second of the video; 0 when unknown.
    virtual double frameRate() const = 0;
    /// When the frame showing at a moment started: from the file's own frame times where the
    /// engine knows them, else from its frame rate (the moment itself when that is unknown too).
    virtual double frameStartAt(double seconds) const;
    /// The speed the user chose (without any nudge).
    virtual double speed() const = 0;
    /// The number of the frame showing at a moment, counted from 0, and when a frame starts, from
    /// the file's own frame times; none while they are not known.
    virtual std::optional<qint64> frameNumberAt(double) const { return std::nullopt; }
    virtual std::optional<double> startOfFrame(qint64) const { return std::nullopt; }
    /// The picture's size as shown (aspect applied); empty when unknown.
    virtual QSize videoSize() const = 0;
    virtual ViewZoom view() const = 0;
    virtual void setView(const ViewZoom& view) = 0;

    /// Goes on playing; a file that ended is played again from the start.
    virtual void play() = 0;
    virtual void pause() = 0;
    /// Goes back to the start and pauses, keeping the file loaded.
    virtual void stop() = 0;
    /// Seeks to a time; an exact seek lands on the frame at that time instead of a key frame.
    virtual void seekTo(double seconds, bool exact) = 0;
    /// Shows the next (or previous) frame and pauses there.
    virtual void stepFrame(bool forward) = 0;
    virtual void setSpeed(double speed) = 0;
    /// Plays a little faster or slower than the chosen speed (factor near 1), to keep in step
    /// with another player; 1 returns to the chosen speed.
    virtual void setSpeedNudge(double factor) = 0;
    /// Loops the passage instead of the whole file, or (none) the whole file again. A new file
    /// loops whole.
    virtual void setPassage(std::optional<Passage> passage) = 0;
    virtual std::optional<Passage> passage() const = 0;
    /// Keeps the sound off, whatever the player's own mute and volume, which stay as they are:
    /// another player is being heard.
    virtual void setSilenced(bool silenced) = 0;
    virtual bool isSilenced() const = 0;
    /// Shows the picture flipped left to right (saved frames too).
    virtual void setMirrored(bool mirrored) = 0;
    virtual bool isMirrored() const = 0;
    /// Plays another file in this one's place from `seconds` (another rendition of the same
    /// video), keeping all the user set: passage, playing or paused, zoom, mirror, speed, filter.
    /// Nobody is told of a new file (no loadStarted); fileLoaded follows.
    virtual void switchFile(const QString& path, double seconds) = 0;
    /// Every picture goes through this libavfilter chain before it is shown (empty: none). The
    /// chain is checked by whoever sets it.
    virtual void setPictureFilter(const QString& chain) = 0;
    virtual QString pictureFilter() const = 0;
    /// The chain that maps an HDR video's pictures to the standard range, before the user's
    /// (empty: none). An engine that cannot show HDR ignores it.
    virtual void setToneMap(const QString& chain) { Q_UNUSED(chain); }
    virtual QString toneMap() const { return {}; }
    /// Both chains as one: the pictures as the pane shows them, for whoever reads them outside.
    QString shownFilter() const { return joinedChains(toneMap(), pictureFilter()); }
    /// Saves the frame showing, at the video's own size, as a new PNG file at `path`, never over
    /// or through anything there; frameSaved reports how it went once the whole file is in
    /// place (or that nothing was left). One save at a time: while one is under way, another
    /// is refused at once with frameSaveRefused.
    virtual void saveFrame(const QString& path) = 0;

signals:
    void pausedChanged(bool paused);
    void idleChanged(bool idle);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void frameSaved(const QString& path, bool saved);
    void frameSaveRefused();
    /// The file could not be opened or played.
    void fileFailed(const QString& reason);
    /// A file is being opened; paused tells whether it was asked to wait at its first frame.
    void loadStarted(bool paused);
    /// The file opened is ready to play: its facts are known.
    void fileLoaded();
    /// Playback started or went on after a seek, including the jump back at a loop's end: the
    /// picture shows the new position.
    void playbackRestarted();
    void passageChanged();
};

inline double PlaybackEngine::frameStartAt(double seconds) const
{
    const double fps = frameRate();
    if (fps <= 0)
        return seconds;
    // A hair over, so that a time that is a frame's start counts as that frame.
    return std::floor(seconds * fps + 1e-6) / fps;
}

/// How long one of the engine's frames lasts: one frame at its rate, else 0.04 s (a frame at 25
/// frames a second, for a rate not known yet).
inline double frameDuration(const PlaybackEngine& engine)
{
    const double fps = engine.frameRate();
    return fps > 0 ? 1.0 / fps : 0.04;
}

} // namespace tandemo
