#pragma once

#include "engine/playback_engine.h"
#include "session/comparison.h"
#include "session/panes.h"
#include "session/player_actions.h"
#include "session/player_link.h"
#include "session/renditions.h"
#include "session/side_swap.h"
#include "session/start_together.h"
#include "session/tone_mapping.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace tandemo {

/// What the panes of one window share, in one place: the link between them and its offset,
/// starting together, where files dropped on one of them play, and the comparison of the first
/// two (its view, measuring, aligning, whose sound is heard). No widgets: it works on the
/// panes' engines, carries out what is asked in any pane (see perform.h), and asks whoever
/// placed the panes to open a file in one of them.
class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);

    /// The panes, in order: the one list of them.
    const Panes& panes() const { return m_panes; }
    Panes& panes() { return m_panes; }
    PlayerLink& link() { return m_link; }
    Comparison& comparison() { return m_comparison; }
    Renditions& renditions() { return m_renditions; }
    ToneMapping& toneMapping() { return m_toneMapping; }
    /// Takes in the next pane: its engine, what its user can ask of it and what shows it.
    void add(PlaybackEngine* engine, PlayerActions* actions = nullptr, QObject* view = nullptr);
    void remove(PlaybackEngine* engine) { m_panes.remove(engine); }
    int paneCount() const { return m_panes.count(); }
    /// The pane of an engine of the session, or -1.
    int paneOf(const PlaybackEngine* engine) const { return m_panes.paneOf(engine); }
    PlayerActions* actionsOf(int pane) const { return m_actions.value(m_panes.engine(pane)); }

    /// Files dropped on a pane: the first plays there and the following one in the other pane;
    /// three or more are a reference and its renditions (see dropOn in session.cpp).
    void dropOn(int pane, const QStringList& files);

signals:
    /// The file is to play in the pane, as if chosen for it.
    void openRequested(int pane, const QString& file);

private:
    /// A file starts in one pane: what was set for the files before goes.
    void onLoadStarted();

    Panes m_panes;
    PlayerLink m_link{m_panes};
    Renditions m_renditions{m_panes, m_link};
    ToneMapping m_toneMapping{m_panes};
    Comparison m_comparison{m_panes, m_link, m_renditions, &m_toneMapping};
    StartTogether m_startTogether{m_panes};
    SideSwap m_swap{m_panes, m_link};
    // What the user can ask of each pane, by its engine.
    QHash<const PlaybackEngine*, QPointer<PlayerActions>> m_actions;
};

} // namespace tandemo
