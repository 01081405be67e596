#pragma once

#include "session/panes.h"

#include <QHash>
#include <QObject>
#include <QStringList>

namespace tandemo {

class PlayerLink;

/// A pane that holds several renditions of the video the other pane plays (an encoder's ladder,
/// two encoders' outputs): which one shows, switching among them at the same moment with all
/// the user set kept, and each one's own offset and pace against the other pane, kept while
/// another shows.
class Renditions : public QObject {
    Q_OBJECT
public:
    /// Where a rendition's moment t × rate + offset lies at the other pane's moment t.
    struct Alignment {
        double offset = 0;
        double rate = 1;
    };

    Renditions(Panes& panes, PlayerLink& link, QObject* parent = nullptr);

    /// The pane is to hold these files, the first showing; it is opened in the pane next.
    void hold(int pane, const QStringList& files);
    /// The pane whose renditions a command made in `pane` switches: that pane when it holds
    /// several, else the first that does; -1 when none does.
    int holderFor(int pane) const;
    /// Shows the next rendition (round to the first), or the one at `index`.
    void showNext(int fromPane);
    void show(int pane, int index);

    /// The files a pane holds (one or none where it holds no renditions) and which shows.
    QStringList filesOf(int pane) const { return m_panes.files(pane); }
    int showingOf(int pane) const { return m_panes.showing(pane); }

    Alignment alignmentOf(int pane, int index) const;
    void setAlignment(int pane, int index, Alignment alignment);

signals:
    /// The pane shows another of its files: the `index`th of `count`.
    void shown(int pane, int index, int count);

private:
    /// The showing rendition's alignment is the link's, while linked.
    void keepLinkedAlignment();
    void onLoadStarted(PlaybackEngine* engine);

    Panes& m_panes;
    PlayerLink& m_link;
    // Each holder's renditions' alignments, by file.
    QHash<const PlaybackEngine*, QHash<QString, Alignment>> m_alignments;
};

} // namespace tandemo
