#pragma once

#include "engine/playback_engine.h"
#include "session/panes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tandemo {

class PlayerLink;

/// Two players given their files at the same moment (the sample videos, two files on the command
/// line or dropped at once) start playing together. The file that opens faster would otherwise
/// run ahead of the other by the difference for as long as both play: each waits at its first
/// frame until the other shows its first frame too, then both go on at once.
class StartTogether : public QObject {
    Q_OBJECT
public:
    /// Loads this close together count as one start.
    static constexpr int kTogetherMs = 500;
    /// A file that shows no frame by then (a slow disk, a broken file) holds the other no longer.
    static constexpr int kLongestHoldMs = 3000;

    /// Watches the first two of the panes, as they come.
    explicit StartTogether(const Panes& panes, int longestHoldMs = kLongestHoldMs,
                           QObject* parent = nullptr);

    /// While `link` links the players, a new file in one pane starts both from the start: the
    /// offset goes back to zero, and the other pane waits at its first frame until the new file
    /// shows its own, then both go on together (both stay there if the file was to wait).
    void followLink(PlayerLink* link) { m_link = link; }
    /// While standing aside, new files start as they were asked to, each on its own.
    void standAside(bool aside) { m_standingAside = aside; }

private:
    enum class State { Quiet, Opening, Held, Waiting };
    struct Pane {
        QPointer<PlaybackEngine> engine;
        State state = State::Quiet;
        QElapsedTimer loadStarted;
        bool fileOpen = false; // the engine reported the file open since the load began
    };

    static constexpr int kPanes = 2;

    void watch(int index, PlaybackEngine* engine);
    /// The first two panes' states, as far as they are watched.
    QList<Pane*> watched();
    void onLoadStarted(Pane& pane, bool paused);
    void onRestarted(Pane& pane);
    void onClosed(Pane& pane);
    Pane& other(const Pane& pane);
    void restartPartnerWith(Pane& pane, bool paused);
    void releaseWhenAllShow();
    void release();

    const Panes& m_panes;
    QHash<const PlaybackEngine*, Pane> m_states;
    // The partner of a pane that has none: quiet, and holds nothing.
    Pane m_noPartner;
    QPointer<PlayerLink> m_link;
    bool m_standingAside = false;
    QTimer m_longestHold;
};

} // namespace tandemo
