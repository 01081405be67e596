#pragma once

#include "session/player_settings.h"

#include <QString>
#include <QWidget>

namespace tandemo {

/// What the program asks of a video player: its settings object, a writable URL and, as a
/// widget, the size of its window. Everything else (decoding, rendering, its own transport
/// controls) is the player's own business.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    /// A player is one tab stop of its window, whatever controls it holds inside.
    explicit MediaPlayer(QWidget* parent = nullptr)
        : QWidget(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
    }

    virtual PlayerSettings& settings() = 0;

    virtual QString URL() const = 0;
    /// Drops the current video, opens the given file and, with autoStart on, plays it. Returns at
    /// once; a file that cannot be played is shown as such by the player and reported to no one.
    virtual void setURL(const QString& url) = 0;
};

/// Properties of the player control that the program leaves at their initial values.
struct PlayerControlProperties {
    QString uiMode = QStringLiteral("full");
    bool stretchToFit = false;
    bool enableContextMenu = true;
    bool fullScreen = false;
    bool windowlessVideo = false;
};

} // namespace tandemo
