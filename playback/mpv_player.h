#pragma once

#include "playback/media_player.h"
#include "playback/mpv_engine.h"
#include "playback/player_link.h"
#include "playback/render_path.h"

#include <QPointer>

#include <memory>
#include <optional>

class QMenu;

namespace tandemo {

class FactsOverlay;
class TransportBar;
class VideoSurface;

struct MpvPlayerOptions {
    /// Unset picks the cheaper path for this machine.
    std::optional<RenderPath> renderPath;
    MpvEngineOptions engine;
};

/// The video player: an mpv engine drawing into a video surface, with the player's own transport
/// bar below it, its keys and its right-click menu. It composes those parts and routes what the
/// user asks to the transport rules; loop mode, volume and mute follow its settings.
class MpvPlayer : public MediaPlayer {
    Q_OBJECT
public:
    /// A player for the frame; if the video engine cannot start, a player that says so instead.
    /// Players given the same link can be linked by the user; the link is the caller's.
    static MediaPlayer* create(QWidget* parent, const MpvPlayerOptions& options = {},
                               PlayerLink* link = nullptr);

    MpvPlayer(std::unique_ptr<MpvEngine> engine, RenderPath path, QWidget* parent = nullptr,
              PlayerLink* link = nullptr);
    ~MpvPlayer() override;

    PlayerSettings& settings() override { return m_settings; }
    QString URL() const override { return m_url; }
    void setURL(const QString& url) override;

    const PlayerControlProperties& properties() const { return m_properties; }
    RenderPath renderPath() const { return m_renderPath; }
    MpvEngine& engine() { return *m_engine; }
    VideoSurface& videoSurface() { return *m_surface; }
    TransportBar& transportBar() { return *m_transport; }
    PlayerLink* link() const { return m_link; }

    /// The player's right-click menu, as it would pop up now.
    std::unique_ptr<QMenu> createContextMenu();
    /// Whether the facts of the video show over the picture, and their text.
    bool factsShown() const;
    void setFactsShown(bool shown);
    QString factsText() const;

    // What the user asks of the player, with its controls, keys or menu. While the players are
    // linked, play, pause, stop, seeking, frame steps and speed act on all of them.
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
    /// Zooms the picture by wheel steps around a point of the video surface, and pans a zoomed
    /// one by pixels; while linked, every pane shows the same region of its picture.
    void zoomAt(QPointF point, double steps);
    void panBy(QPointF delta);
    void resetZoom();
    /// The same for the picture drawn into an area of another size (as in the wipe view).
    void zoomPictureAt(QPointF point, double steps, QSizeF area);
    void panPicture(QPointF delta, QSizeF area);
    /// Whether the player is drawn in the wipe view, as its menu shows.
    bool isInWipeView() const { return m_inWipeView; }
    void setInWipeView(bool shown) { m_inWipeView = shown; }
    /// Saves the frame showing as a picture in the user's pictures folder; while linked, every
    /// player's. Each bar's status tells where its frame went.
    void saveFrames();

signals:
    void frameRendered();
    /// Local files were dropped on the player; whoever placed it decides where they play.
    void filesDropped(const QStringList& files);
    /// The user asked for the wipe view, or to leave it; whoever placed the players shows it.
    void wipeViewRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectSettings();
    void connectEngine();
    void connectSurface();
    /// Loads the current URL as soon as the video surface can draw it.
    void load(bool startPaused);
    QString fileToOpen() const;
    void startFile();
    QList<transport::Target> targets();

    PlayerSettings m_settings;
    PlayerControlProperties m_properties;
    QString m_url;
    bool m_loadPending = false;
    bool m_startPaused = false;
    bool m_inWipeView = false;
    RenderPath m_renderPath;
    std::unique_ptr<MpvEngine> m_engine;
    VideoSurface* m_surface = nullptr;
    TransportBar* m_transport = nullptr;
    FactsOverlay* m_facts = nullptr;
    QPointer<PlayerLink> m_link;
};

} // namespace tandemo
