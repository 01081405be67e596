#pragma once

#include <QObject>
#include <QTimer>

namespace tandemo {

/// What the hand-over asks of the two decoders it switches between: the one showing and the one
/// that waits at the start of the next pass.
class LoopDecoders {
public:
    virtual ~LoopDecoders() = default;

    /// How the decoder showing ends a pass: it loops by itself (seeking back), or, with the
    /// hand-over, holds its last picture until the other one shows.
    virtual void setLoopMode(bool looping, bool handedOver) = 0;
    /// The waiting decoder opens the file playing, paused at its first picture; false when it
    /// cannot be asked to.
    virtual bool openWaiting() = 0;
    /// The waiting decoder plays, a moment before it shows.
    virtual void letWaitingGo() = 0;
    /// The waiting decoder goes back to its first picture, paused.
    virtual void sendWaitingToStart() = 0;
    /// The waiting decoder shows from now on, playing or paused (`letGo`: it was let go
    /// already); the other one waits, and goes back to the start.
    virtual void switchDecoders(bool paused, bool letGo) = 0;
    /// The pass starts again in the decoder showing, as a player with one decoder loops.
    virtual void seekShownToStart() = 0;
    /// The waiting decoder drops its file.
    virtual void stopWaiting() = 0;
    virtual bool isShownPaused() const = 0;
    virtual bool isShownAtEnd() const = 0;
};

/// The loop without a seam: while one decoder shows a pass, the other waits paused at the start
/// with its first picture decoded, is let go a few milliseconds before the last picture's time
/// is up, and takes over the moment it is; then the first one goes back to the start to wait.
/// Every decision about it is taken here, in one of five states:
/// - Idle: no pass waits (nothing loops, no file, or the one showing has not started yet);
/// - Opening: the waiting decoder opens the file, or goes back to its start;
/// - Waiting: it holds the first picture of the next pass, ready;
/// - LetGo: it plays, about to show;
/// - SeekingOnly: the file loops by seeking back (the waiting decoder failed, this pane cannot
///   decode in time, or the waiting decoder can never be drawn).
class LoopHandOver : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Opening, Waiting, LetGo, SeekingOnly };

    /// `secondDecoder`: whether there is a decoder to wait at all.
    LoopHandOver(LoopDecoders& decoders, bool secondDecoder, QObject* parent = nullptr);

    State state() const { return m_state; }
    /// Whether the next pass starts from the waiting decoder.
    bool isSeamless() const;
    /// The next pass's first picture is ready to show.
    bool isReady() const { return m_state == State::Waiting || m_state == State::LetGo; }

    /// How far ahead of its time the decoder showing hands a picture over to be drawn; the
    /// switch comes as much later.
    void setHandedOverAheadMs(int ms) { m_handedOverAheadMs = ms; }
    /// How long before the switch the waiting decoder is let go: it takes a few milliseconds to
    /// start playing, and its second picture must come on time too.
    void setStartAheadMs(int ms) { m_startAheadMs = ms; }
    void setLooping(bool looping);
    bool isLooping() const { return m_looping; }
    /// A passage loops by the decoder's own seeking.
    void setPassage(bool passage);

    /// Tells the decoders how passes end, as things stand (set again for a new file).
    void applyLoopMode();
    /// A file is opened (or none): every pass starts over.
    void newFile();
    /// The decoder showing restarted, at the start or after a seek.
    void shownRestarted();
    /// The waiting decoder holds its first picture.
    void waitingAtStart();
    /// The waiting decoder cannot play the file, or the pane cannot decode in time: this file
    /// loops by seeking back.
    void fallBack();
    /// The waiting decoder can never be drawn: every file loops by seeking back.
    void giveUpWaiting();
    /// Paused: a pass about to end ends paused, on its last frame.
    void paused();
    /// The picture showing, `left` seconds before the end of a pass whose frames last `frame`
    /// seconds, played at `speed`.
    void shownAt(double left, double frame, double speed);
    /// The decoder showing found the end of the pass: its last picture stays its time.
    void passEnded(double frame, double speed);
    /// The next pass starts now (a step past the end), playing or paused.
    void startNextPass(bool paused);

signals:
    void stateChanged(tandemo::LoopHandOver::State state);

private:
    void setState(State state);
    void openWaiting();
    void holdWaiting();
    void switchAfter(int ms);
    void switchDecoders(bool paused);
    void stopTimers();

    LoopDecoders& m_decoders;
    const bool m_secondDecoder;
    State m_state = State::Idle;
    bool m_looping = false;
    bool m_passage = false;
    bool m_shownStarted = false;
    bool m_neverDrawn = false;
    int m_handedOverAheadMs = 0;
    int m_startAheadMs = 5;
    // The last picture of the pass has shown for its time.
    QTimer m_lastPictureShown;
    // The waiting decoder is let go a little before it shows.
    QTimer m_nextPassStarts;
};

} // namespace tandemo
