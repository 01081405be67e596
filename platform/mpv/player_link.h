#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

namespace tandemo {

class MpvPlayer;

/// Joins the players of one window so that they can be followed together. While linked, play,
/// pause, stop, seeking, frame stepping and speed on either player act on all of them; what
/// each plays and how it loops stay its own. Off by default. The players register themselves.
class PlayerLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

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
    QList<QPointer<MpvPlayer>> m_players;
    bool m_linked = false;
};

} // namespace tandemo
