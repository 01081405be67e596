#pragma once

#include "engine/mpv_engine.h"
#include "pair/player_pair.h"
#include "playback/player_command.h"
#include "playback/player_settings.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>

namespace tandemo {

/// What the user can ask of one player, whether with its bar, its keys, its menu or in the wipe
/// view: the verbs, carried out on its engine and, while the players are linked, on the others
/// (pair/transport_rules.h), and the state of the player the menu shows. No widgets: the player
/// widget owns it and shows what it says.
class PlayerActions : public QObject {
    Q_OBJECT
public:
    /// The pair is what the player shares with the window's other player (none: it plays alone).
    PlayerActions(MpvEngine& engine, PlayerSettings& settings, PlayerPair* pair,
                  QObject* parent = nullptr);

    MpvEngine& engine() const { return m_engine; }
    PlayerSettings& settings() const { return m_settings; }
    PlayerPair* pair() const { return m_pair; }
    PlayerLink* link() const { return m_pair ? &m_pair->link() : nullptr; }

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
    bool isInWipeView() const { return m_inWipeView; }
    void setInWipeView(bool shown) { m_inWipeView = shown; }
    /// Asks for the wipe view, or to leave it.
    void toggleWipeView();

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
    /// Lines the two players up by their sound or their pictures (see PlayerPair::align).
    void align(AlignmentSearch::By by);
    /// Whose sound is heard: this player's pane, the other's, or both (-1).
    void hear(int pane);
    /// Flips this player's picture left to right, or back.
    void toggleMirror();
    /// Asks for the keys and gestures to be shown.
    void showKeys() { emit keysRequested(); }

    /// What the wipe view shows, as the menu shows it.
    struct Comparison {
        int mode = 0;
        bool measuring = false;
        bool measured = false;
    };
    const Comparison& comparison() const { return m_comparison; }
    void setComparison(const Comparison& comparison) { m_comparison = comparison; }
    /// Passes a command of the wipe view on to it; measuring opens it first.
    void adjustComparison(const PlayerCommand& command);

signals:
    void factsShownChanged(bool shown);
    /// The user asked for the wipe view, or to leave it; whoever placed the players shows it.
    void wipeViewRequested();
    /// The user asked for full screen or to leave it; whoever placed the players decides.
    void fullScreenRequested(bool on);
    void keysRequested();
    void comparisonRequested(const tandemo::PlayerCommand& command);

private:
    QList<transport::Target> targets() const;

    MpvEngine& m_engine;
    PlayerSettings& m_settings;
    QPointer<PlayerPair> m_pair;
    bool m_factsShown = false;
    bool m_inWipeView = false;
    bool m_fullScreen = false;
    Comparison m_comparison;
};

} // namespace tandemo
