#pragma once

#include "engine/playback_engine.h"
#include "pair/player_link.h"
#include "pair/start_together.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace tandemo {

/// What the window's two players share, in one place: the link between them and its offset,
/// starting together, where files dropped on one of them play, and the comparison view that
/// shows both in one picture. No widgets: it works on the players' engines, and asks whoever
/// placed the players to open a file in one of them.
class PlayerPair : public QObject {
    Q_OBJECT
public:
    explicit PlayerPair(QObject* parent = nullptr);

    PlayerLink& link() { return m_link; }
    /// Takes in the engine of the window's next player (pane 0, then pane 1).
    void add(PlaybackEngine* engine);
    void remove(PlaybackEngine* engine);

    /// Files dropped on a pane: the first plays there and the second in the other pane; further
    /// ones are ignored, as there are only two panes.
    void dropOn(int pane, const QStringList& files);

    /// Enters the view that compares the two in one picture: the players are linked from
    /// `origin` (the pane it was asked in), and how each was zoomed and whether they were
    /// linked are kept, to be given back when it is left.
    void enterComparison(PlaybackEngine* origin);
    void leaveComparison();
    bool isComparing() const { return m_comparing; }

signals:
    /// The file is to play in the pane, as if chosen for it.
    void openRequested(int pane, const QString& file);

private:
    PlayerLink m_link;
    StartTogether m_startTogether;
    QList<QPointer<PlaybackEngine>> m_engines;
    bool m_comparing = false;
    bool m_wasLinked = false;
    QHash<PlaybackEngine*, ViewZoom> m_views;
};

} // namespace tandemo
