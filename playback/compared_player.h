#pragma once

#include "engine/player_engine.h"
#include "playback/media_player.h"

#include <QImage>
#include <QMenu>
#include <QSize>

#include <memory>

namespace tandemo {

class PlayerActions;

/// A player as a view that shows two players' pictures in one (the wipe view) needs it: what
/// its user can ask of it, its engine, its picture drawn for the view, and the shape it is
/// shown at.
class ComparedPlayer : public MediaPlayer {
    Q_OBJECT
public:
    using MediaPlayer::MediaPlayer;

    virtual PlayerEngine& engine() = 0;
    /// What the user can ask of the player, with its bar, keys and menu, or in the wipe view.
    virtual PlayerActions& actions() = 0;
    /// The player's right-click menu, as it would pop up now.
    virtual std::unique_ptr<QMenu> createContextMenu() = 0;

    /// Draws each frame to fill a picture of `pixels`, offscreen; an empty size draws it in the
    /// pane again.
    virtual void drawForPicture(QSize pixels) = 0;
    /// The frame last drawn for that picture.
    virtual QImage pictureFrame() const = 0;
    /// The picture's size as shown, and showing it at another shape (0: its own).
    virtual QSize videoSize() const = 0;
    /// The video's picture as it shows now, in the pane or for a view's picture, without the
    /// bars around it: what a scope follows while the video plays.
    virtual QImage shownPicture() = 0;
    virtual void showAtAspect(double aspect) = 0;
    virtual bool isZoomed() const = 0;

signals:
    /// A frame was drawn, in the pane or for a view's picture.
    void frameRendered();
};

} // namespace tandemo
