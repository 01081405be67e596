#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tandemo {

class PlaybackEngine;

/// Joins the players of one window so that they can be followed together. While linked, play,
/// pause, stop, seeking, frame stepping and speed on either player act on all of them (see
/// transport_rules.h); what each plays and how it loops stay its own. Off by default. The one
/// who makes the players registers their engines.
///
/// Each player runs on its own clock, so two players drift apart over a long run. While linked
/// and playing videos of the same length, the link keeps them in step: a player that has fallen
/// behind the first one plays a few per cent faster until it has caught up, and the reverse.
class PlayerLink : public QObject {
    Q_OBJECT
public:
    /// How often the positions are compared while linked.
    static constexpr int kStepCheckMs = 500;
    /// The largest change of speed used to bring a player back into step (a few per cent is not
    /// heard, with mpv's pitch correction).
    static constexpr double kLargestNudge = 0.05;

    explicit PlayerLink(QObject* parent = nullptr);

    bool isLinked() const { return m_linked; }
    void setLinked(bool linked);

    void add(PlaybackEngine* engine);
    void remove(PlaybackEngine* engine);

    /// The engines an action on `origin` reaches: all of them while linked, else `origin` only.
    QList<PlaybackEngine*> targetsOf(PlaybackEngine* origin) const;

    /// Compares the engines' positions once and nudges each follower's speed towards the first
    /// engine's position (or back to normal). Runs every kStepCheckMs while linked.
    void keepInStep();

signals:
    void linkedChanged(bool linked);

private:
    void releaseNudges();

    QList<QPointer<PlaybackEngine>> m_engines;
    bool m_linked = false;
    QTimer m_stepKeeper;
};

} // namespace tandemo
