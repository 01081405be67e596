#pragma once

#include "analysis/alignment_search.h"
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
/// starting together, where files dropped on one of them play, the comparison view that shows
/// both in one picture, lining the two up by their sound or pictures, and whose sound is heard.
/// No widgets: it works on the players' engines, and asks whoever placed the players to open a
/// file in one of them.
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

    /// How an alignment ended.
    enum class Aligned { Done, NoClearMatch, NothingToCompare };
    /// Finds the offset at which the two videos line up, by their sound or their pictures, in
    /// the background, and links them with it from `origin` (the pane it was asked in). A weak
    /// match changes nothing. A new file in either pane, or cancelAlignment(), stops it.
    void align(AlignmentSearch::By by, PlaybackEngine* origin);
    void cancelAlignment();
    bool isAligning() const { return m_alignment.isRunning(); }

    /// Whose sound is heard: one pane's alone (the other's is kept off, its own volume and
    /// mute untouched), or -1 for both.
    void setHeard(int pane);
    int heard() const { return m_heard; }
    /// The pane of an engine of the pair, or -1.
    int paneOf(const PlaybackEngine* engine) const;

signals:
    /// The file is to play in the pane, as if chosen for it.
    void openRequested(int pane, const QString& file);
    void alignmentProgressed(double share);
    /// How the alignment ended; `secondAhead`: the offset it found, as the second pane's lead.
    void alignmentFinished(tandemo::PlayerPair::Aligned outcome, double secondAhead);
    void alignmentCancelled();
    void heardChanged(int pane);

private:
    /// A file starts in one pane: what was set for the files before goes.
    void onLoadStarted();

    PlayerLink m_link;
    AlignmentSearch m_alignment;
    QPointer<PlaybackEngine> m_alignOrigin;
    int m_heard = -1;
    StartTogether m_startTogether;
    QList<QPointer<PlaybackEngine>> m_engines;
    bool m_comparing = false;
    bool m_wasLinked = false;
    QHash<PlaybackEngine*, ViewZoom> m_views;
};

} // namespace tandemo
