#pragma once

#include "engine/playback_engine.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace tandemo {

/// The panes of one window, in order: the one list of them. A pane has its engine, the widget
/// that shows it (for whoever placed it), and the files it holds, one of them showing. Whatever
/// keeps something of each pane reads it here and listens for panes coming and going; a pane goes
/// by itself when its engine does.
class Panes : public QObject {
    Q_OBJECT
public:
    explicit Panes(QObject* parent = nullptr);

    /// Takes in the next pane.
    void add(PlaybackEngine* engine, QObject* view = nullptr);
    void remove(const PlaybackEngine* engine);

    int count() const { return int(m_panes.size()); }
    /// The pane's engine and what shows it; null past the last pane.
    PlaybackEngine* engine(int pane) const;
    QObject* view(int pane) const;
    /// The pane of an engine, or of the widget that shows it; -1 for none.
    int paneOf(const PlaybackEngine* engine) const;
    int paneShownBy(const QObject* view) const;
    /// The panes' engines, in order.
    QList<PlaybackEngine*> engines() const;

    /// The files a pane holds and the one of them showing (by default, the file its engine
    /// plays, alone).
    QStringList files(int pane) const;
    int showing(int pane) const;
    void setFiles(int pane, const QStringList& files, int showing = 0);

signals:
    void added(int pane, tandemo::PlaybackEngine* engine);
    /// The engine is no longer one of a pane: it may be going, so it serves as a key only.
    void removed(const tandemo::PlaybackEngine* engine);
    void filesChanged(int pane);

private:
    struct Pane {
        QPointer<PlaybackEngine> engine;
        QPointer<QObject> view;
        QStringList files;
        int showing = 0;
    };

    QList<Pane> m_panes;
};

} // namespace tandemo
