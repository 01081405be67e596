#pragma once

#include "engine/playback_engine.h"
#include "session/pane_filter.h"
#include "session/player_link.h"
#include "session/player_settings.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>

#include <optional>

namespace tandemo {

class Comparison;

/// What the user can ask of one player, whether with its bar, its keys, its menu or in the wipe
/// view: the verbs, carried out on its engine and, while the players are linked, on the others
/// (session/transport_rules.h), and the state of the player the menu shows. No widgets: the player
/// widget owns it and shows what it says.
class PlayerActions : public QObject {
    Q_OBJECT
public:
    /// The link and the comparison are what the player shares with the window's other players
    /// (none: it plays alone).
    PlayerActions(PlaybackEngine& engine, PlayerSettings& settings, PlayerLink* link = nullptr,
                  Comparison* comparison = nullptr, QObject* parent = nullptr);

    PlaybackEngine& engine() const { return m_engine; }
    PlayerSettings& settings() const { return m_settings; }
    PlayerLink* link() const { return m_link; }
    Comparison* comparison() const;
    /// This player's place among those compared, or -1.
    int pane() const;

    // While the players are linked, play, pause, stop, seeking, frame steps and speed act on all
    // of them.
    void togglePlayPause();
    void stop();
    void seekTo(double seconds);
    void seekBy(double seconds);
    void stepFrame(bool forward);
    /// The same, on this player only: while linked, the difference it makes between the players
    /// becomes their offset.
    void seekAloneTo(double seconds);
    void seekAloneBy(double seconds);
    void stepFrameAlone(bool forward);
    void setSpeed(double speed);
    void toggleMute();
    void changeVolume(int step);
    /// Zooms the picture drawn into an area of that size by wheel steps around a point of it,
    /// and pans a zoomed one by pixels; while linked, every pane shows the same region.
    void zoomPictureAt(QPointF point, double steps, QSizeF area);
    void panPicture(QPointF delta, QSizeF area);
    /// Where the pointer is over the picture drawn into an area of that size (none: not over
    /// it), in the area's pixels; the pixel under it is inspected while the inspector is on.
    void setPointer(std::optional<QPointF> at, QSizeF area);
    /// One video pixel to one pixel of the area, around the pointer (the middle, when it is
    /// elsewhere); while linked, every pane shows the same region.
    void showPixelForPixel();
    void resetZoom();
    /// Saves the frame showing as a picture in the user's pictures folder; while linked, every
    /// player's. Each bar's status tells where its frame went.
    void saveFrames();
    /// Links or unlinks the players, from this one; and back to no offset, from this one.
    void setLinked(bool linked);
    void resetOffset();

    /// Whether the facts of the video show over the picture.
    bool factsShown() const { return m_factsShown; }
    void setFactsShown(bool shown);
    /// Whether the player is drawn in the wipe view, as its menu shows.
    bool isInWipeView() const;

    /// Whether the players fill the screen, as the menu shows.
    bool isFullScreen() const { return m_fullScreen; }
    void setFullScreen(bool on) { m_fullScreen = on; }
    /// Asks for full screen, or to leave it.
    void toggleFullScreen() { emit fullScreenRequested(!m_fullScreen); }
    /// Backs out: of an alignment under way, else of full screen, else of the wipe view.
    void leave();

    /// Marks where the passage this player loops starts (or ends): here. While linked, the
    /// other loops the same moments, with its offset.
    void markPassage(bool start);
    void clearPassage();
    /// Flips this player's picture left to right, or back.
    void toggleMirror();
    /// Asks for the keys and gestures to be shown.
    void showKeys() { emit keysRequested(); }
    /// Asks for a video to be chosen and played in this player.
    void openVideo() { emit openVideoRequested(); }

    /// The time and frame showing, as text for the clipboard; and goes to a time or frame
    /// written so (false when the text is neither).
    void copyMoment();
    bool goToMoment(const QString& text);
    /// Asks for the moment on the clipboard to be gone to.
    void pasteMoment() { emit pasteRequested(); }
    /// The filter the pane's pictures go through; a chain of the user's own is asked for.
    PaneFilter& filter() { return m_filter; }
    void setFilter(int kind);

signals:
    void factsShownChanged(bool shown);
    /// The user asked for full screen or to leave it; whoever placed the players decides.
    void fullScreenRequested(bool on);
    void keysRequested();
    /// The player's picture was flipped, or back, from here.
    void mirroredChanged(bool mirrored);
    /// The user asked to choose a video for this player; the player widget asks which.
    void openVideoRequested();
    void momentCopied(const QString& text);
    void pasteRequested();
    void customFilterRequested();
    /// Something to tell the user at once.
    void said(const QString& text);

private:
    QList<transport::Target> targets() const;

    PlaybackEngine& m_engine;
    PlayerSettings& m_settings;
    QPointer<PlayerLink> m_link;
    QPointer<Comparison> m_comparison;
    bool m_factsShown = false;
    std::optional<QPointF> m_pointer;
    QSizeF m_area;
    bool m_fullScreen = false;
    PaneFilter m_filter{m_engine};
};

} // namespace tandemo
