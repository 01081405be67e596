#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tandemo {

class MpvPlayer;

/// Joins the players of one window so that they can be followed together. While linked, play,
/// pause, stop, seeking, frame stepping and speed on either player act on all of them; what
/// each plays and how it loops stay its own. Off by default. The players register themselves.
///
/// Each player runs on its own clock, so two players drift apart over a long run. While linked
/// and playing videos of the same length, the link keeps them in step: a player that has fallen
/// behind the first one plays a few per cent faster until it has caught up, and the reverse.
class PlayerLink : public QObject {
    Q_OBJECT
public:
    explicit PlayerLink(QObject* parent = nullptr);

    bool isLinked() const { return m_linked; }
    void setLinked(bool linked);

    void add(MpvPlayer* player);
    void remove(MpvPlayer* player);

    /// The players an action on `origin` acts on: all of them while linked, else `origin` only.
    QList<MpvPlayer*> targetsOf(MpvPlayer* origin) const;
    /// The first other player, or nullptr.
    MpvPlayer* other(const MpvPlayer* player) const;

signals:
    void linkedChanged(bool linked);

private:
    void keepInStep();
    void releaseNudges();

    QList<QPointer<MpvPlayer>> m_players;
    bool m_linked = false;
    QTimer m_stepKeeper;
};

} // namespace tandemo
