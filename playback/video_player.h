#pragma once

#include "engine/player_engine.h"
#include "playback/compared_player.h"
#include "session/player_actions.h"
#include "session/session.h"
#include "video/render_path.h"

#include <QPointer>

#include <memory>
#include <optional>

class QMenu;

namespace tandemo {

class EmptyPaneHint;
class FactsOverlay;
class PictureNote;
class TransportBar;
class VideoSurface;

struct VideoPlayerOptions {
    /// Unset picks the cheaper path for this machine.
    std::optional<RenderPath> renderPath;
    EngineOptions engine;
};

/// The video player: an engine drawing into a video surface, with the player's own transport
/// bar below it, its keys and its right-click menu. It composes those parts and routes what the
/// user asks to the transport rules; loop mode, volume and mute follow its settings.
class VideoPlayer : public ComparedPlayer {
    Q_OBJECT
public:
    /// A player for the frame; if the video engine cannot start, a player that says so instead.
    /// Players given the same pair can be linked and compared by the user; the pair is the
    /// caller's.
    static MediaPlayer* create(QWidget* parent, const VideoPlayerOptions& options = {},
                               Session* session = nullptr);

    VideoPlayer(std::unique_ptr<PlayerEngine> engine, RenderPath path, QWidget* parent = nullptr,
                Session* session = nullptr);
    ~VideoPlayer() override;

    PlayerSettings& settings() override { return m_settings; }
    QString URL() const override { return m_url; }
    void setURL(const QString& url) override;

    const PlayerControlProperties& properties() const { return m_properties; }
    RenderPath renderPath() const { return m_renderPath; }
    PlayerEngine& engine() override { return *m_engine; }
    VideoSurface& videoSurface() { return *m_surface; }
    TransportBar& transportBar() { return *m_transport; }
    PlayerLink* link() const { return m_actions->link(); }

    PlayerActions& actions() override { return *m_actions; }
    std::unique_ptr<QMenu> createContextMenu() override;
    /// The facts shown over the picture, while they are shown.
    QString factsText() const;

    // For a view that draws the video into a picture of its own (the wipe view).
    void drawForPicture(QSize pixels) override;
    QImage pictureFrame() const override;
    QImage shownPicture() override;
    QSize videoSize() const override { return m_engine->videoSize(); }
    void showAtAspect(double aspect) override { m_engine->setAspectOverride(aspect); }
    bool isZoomed() const override { return m_engine->view().zoom > 0; }

signals:
    /// Local files were dropped on the player; whoever placed it decides where they play.
    void filesDropped(const QStringList& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    PictureNote* showNotes();
    void connectSettings();
    void connectEngine();
    void connectSurface();
    QString fileToOpen() const;
    /// Zooms and pans the picture as drawn on the video surface.
    void zoomAt(QPointF point, double steps);
    void panBy(QPointF delta);
    /// Carries out the command of a key pressed in the player or in the frame around it.
    bool handleKey(QKeyEvent* event);
    /// Whether a pane holds renditions that Tab switches among.
    bool holdsRenditions() const;
    /// Tells the engine how large the picture is drawn: on the surface, or for another view.
    void showPictureArea();
    /// The bar shows whether the pane (the player or its frame) has the keyboard focus.
    void showFocus();

    PlayerSettings m_settings;
    PlayerControlProperties m_properties;
    QString m_url;
    // The size of the picture the video is drawn for, while it is drawn for another view.
    QSize m_pictureSize;
    RenderPath m_renderPath;
    std::unique_ptr<PlayerEngine> m_engine;
    VideoSurface* m_surface = nullptr;
    TransportBar* m_transport = nullptr;
    FactsOverlay* m_facts = nullptr;
    EmptyPaneHint* m_hint = nullptr;
    PlayerActions* m_actions = nullptr;
};

} // namespace tandemo
