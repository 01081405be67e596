#pragma once

#include "engine/playback_engine.h"
#include "session/panes.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

namespace tandemo {

class PlayerLink;

/// Exchanges the videos of two panes, so that a preference can be checked for being about left
/// or right: each file goes on in the other pane at the moment it showed, with its passage,
/// playing or paused as it was, and the link's offset, if any, turns round with them.
class SideSwap : public QObject {
    Q_OBJECT
public:
    /// A pane whose new file never reports open holds the swap no longer than this.
    static constexpr int kLongestWaitMs = 10000;

    SideSwap(const Panes& panes, PlayerLink& link, QObject* parent = nullptr);

    /// Asks for the first two panes' files to be opened each in the other; false (and nothing
    /// asked) while a swap is under way or when either pane has no file.
    bool start();
    bool isSwapping() const { return m_waiting > 0; }

signals:
    /// The file is to play in the pane (0: the first, 1: the second).
    void openRequested(int pane, const QString& file);
    /// Both files play in their new panes as they did in the old ones (or one failed to open).
    void finished();

private:
    /// What a pane's file was doing when the swap was asked for.
    struct Side {
        QPointer<PlaybackEngine> engine;
        QString file;
        double position = 0;
        bool paused = false;
        std::optional<Passage> passage;
        QMetaObject::Connection loaded;
        QMetaObject::Connection failed;
    };

    /// The pane's new file is open: it takes up where it was in the other pane.
    void resume(Side& pane, const Side& was);
    void settle(Side& pane);
    void finish();

    const Panes& m_panes;
    PlayerLink& m_link;
    std::array<Side, 2> m_sides;
    bool m_wasLinked = false;
    double m_secondAhead = 0;
    int m_waiting = 0;
    QTimer m_longestWait;
};

} // namespace tandemo
