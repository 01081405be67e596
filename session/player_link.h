#pragma once

#include "session/panes.h"
#include "session/transport_rules.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tandemo {

/// Joins the players of one window so that they can be followed together. While linked, play,
/// pause, stop, seeking, frame stepping and speed on either player act on all of them (see
/// transport_rules.h); what each plays and how it loops stay its own. Off by default. It joins the
/// panes of the list it is given, as they come and go.
///
/// The linked players may keep an offset: one shows its video that many seconds ahead of the
/// other. An action made on one player alone (with Ctrl held) sets it; every linked action keeps
/// it. Linking starts at offset zero.
///
/// Each player runs on its own clock, so two players drift apart over a long run. While linked
/// and playing videos of the same length, the link keeps them in step (with their offset): a
/// player that has fallen behind the first one plays a few per cent faster until it has caught
/// up, and the reverse.
class PlayerLink : public QObject {
    Q_OBJECT
public:
    /// How often the positions are compared while linked.
    static constexpr int kStepCheckMs = 500;
    /// The largest change of speed used to bring a player back into step (a few per cent is not
    /// heard, with the engine's pitch correction).
    static constexpr double kLargestNudge = 0.05;

    explicit PlayerLink(const Panes& panes, QObject* parent = nullptr);

    bool isLinked() const { return m_linked; }
    /// Links or unlinks. Linking starts at offset zero; turned on in a pane (`origin`), it brings
    /// the others to that pane's moment, playing or paused as it is.
    void setLinked(bool linked, PlaybackEngine* origin = nullptr);

    /// The engines an action on `origin` reaches, with their offsets against it: all of them
    /// while linked, else `origin` only.
    QList<transport::Target> targetsOf(PlaybackEngine* origin) const;

    /// How many seconds `engine` shows its video ahead of the others (the first other one), at
    /// their start.
    double offsetOf(const PlaybackEngine* engine) const;
    /// How many of its seconds `engine` plays to one of the others' (1 unless its video runs at
    /// another pace).
    double rateOf(const PlaybackEngine* engine) const;
    /// After `engine` alone was sent to `seconds` while the others stayed where they are, the
    /// difference becomes its offset.
    void moveAlone(PlaybackEngine* engine, double seconds);
    /// Links (if not linked yet) with `engine` that many seconds ahead of the others; asked for
    /// in a pane (`origin`), the others go to its moment at once, with the offset.
    void linkWithOffset(PlaybackEngine* engine, double seconds, PlaybackEngine* origin);
    /// The same, for a video that runs at another pace: `engine` shows the others' moment t at
    /// its moment t × rate + seconds, and plays that much faster or slower to stay with them.
    void linkWithDrift(PlaybackEngine* engine, double seconds, double rate, PlaybackEngine* origin);
    /// Back to no offset (and the same pace); asked for in a pane (`origin`), the others go to its
    /// moment at once.
    void resetOffset(PlaybackEngine* origin = nullptr);

    /// Compares the engines' positions once and nudges each follower's speed towards the first
    /// engine's position (or back to normal). Runs every kStepCheckMs while linked.
    void keepInStep();

signals:
    void linkedChanged(bool linked);
    void offsetChanged();

private:
    void releaseNudges();
    /// The engine's rate against the reference.
    double rate(const PlaybackEngine* engine) const { return m_rates.value(engine, 1.0); }
    /// The first engine that is not `engine`.
    const PlaybackEngine* otherThan(const PlaybackEngine* engine) const;
    /// Every other engine to the origin's moment (with the offsets), playing or paused as it is.
    void bringTogetherAt(PlaybackEngine& origin);

    const Panes& m_panes;
    /// Each engine's moment at a common reference's moment m: its offset plus its rate times m
    /// (0 and 1 where none is given).
    QHash<const PlaybackEngine*, double> m_offsets;
    QHash<const PlaybackEngine*, double> m_rates;
    bool m_linked = false;
    QTimer m_stepKeeper;
};

} // namespace tandemo
