#include "engine/loop_hand_over.h"

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

// How long the switch takes to show the first picture of the decoder that takes over (drawn
// while it waited, it only has to reach the window).
constexpr int kTakeOverMs = 3;

} // namespace

LoopHandOver::LoopHandOver(LoopDecoders& decoders, bool secondDecoder, QObject* parent)
    : QObject(parent)
    , m_decoders(decoders)
    , m_secondDecoder(secondDecoder)
{
    for (QTimer* timer : {&m_lastPictureShown, &m_nextPassStarts}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_lastPictureShown, &QTimer::timeout, this, [this] {
        if (isSeamless() && !m_decoders.isShownPaused())
            switchDecoders(false);
        else
            holdWaiting();
    });
    connect(&m_nextPassStarts, &QTimer::timeout, this, [this] {
        if (!isSeamless() || m_decoders.isShownPaused() || m_state != State::Waiting)
            return;
        setState(State::LetGo);
        m_decoders.letWaitingGo();
    });
}

bool LoopHandOver::isSeamless() const
{
    return m_secondDecoder && m_looping && !m_passage && m_state != State::SeekingOnly;
}

void LoopHandOver::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void LoopHandOver::setLooping(bool looping)
{
    m_looping = looping;
    applyLoopMode();
}

void LoopHandOver::setPassage(bool passage)
{
    m_passage = passage;
    applyLoopMode();
}

void LoopHandOver::applyLoopMode()
{
    // Both stay set for every file loaded later, as the player's loop mode must.
    m_decoders.setLoopMode(m_looping, isSeamless());
    openWaiting();
}

void LoopHandOver::newFile()
{
    // A switch under way was for the file before: it would send the new one to its start.
    stopTimers();
    m_shownStarted = false;
    if (m_secondDecoder)
        m_decoders.stopWaiting();
    setState(m_neverDrawn ? State::SeekingOnly : State::Idle);
}

void LoopHandOver::shownRestarted()
{
    m_shownStarted = true;
    openWaiting();
}

void LoopHandOver::openWaiting()
{
    // The waiting decoder opens the file once the one showing shows it, so that starting is not
    // slowed.
    if (!isSeamless() || !m_shownStarted || m_state != State::Idle)
        return;
    setState(State::Opening);
    if (!m_decoders.openWaiting())
        fallBack();
}

void LoopHandOver::waitingAtStart()
{
    if (m_state == State::Opening)
        setState(State::Waiting);
}

void LoopHandOver::fallBack()
{
    if (m_state == State::SeekingOnly)
        return;
    stopTimers();
    setState(State::SeekingOnly);
    if (m_secondDecoder)
        m_decoders.stopWaiting();
    m_decoders.setLoopMode(m_looping, false);
    // A pass that already ended waits for no one.
    if (m_decoders.isShownAtEnd())
        m_decoders.seekShownToStart();
}

void LoopHandOver::giveUpWaiting()
{
    m_neverDrawn = true;
    fallBack();
}

void LoopHandOver::paused()
{
    stopTimers();
    holdWaiting();
}

void LoopHandOver::holdWaiting()
{
    if (m_state != State::LetGo)
        return;
    setState(State::Opening);
    m_decoders.sendWaitingToStart();
}

void LoopHandOver::shownAt(double left, double frame, double speed)
{
    // Past the end, the position is the sound's: the last picture keeps its time.
    if (m_lastPictureShown.isActive() && m_decoders.isShownAtEnd())
        return;
    const bool ready = isSeamless() && !m_decoders.isShownPaused() && isReady();
    if (ready && left <= 0) {
        // Already past the end: the decoder's clock runs on from the last picture.
        passEnded(frame, speed);
        return;
    }
    if (!ready || left <= 0 || left > 1.5 * frame) {
        stopTimers();
        holdWaiting();
        return;
    }
    // The position changes as a picture is handed over: the last one shows until the end.
    switchAfter(int(std::lround(left / speed * 1000)) + m_handedOverAheadMs);
}

void LoopHandOver::passEnded(double frame, double speed)
{
    // A decoder with sound ends a pass as its last picture is due, without telling that
    // picture's position: it is drawn only now, and stays for its time before the other shows.
    if (!isSeamless() || m_lastPictureShown.isActive())
        return;
    if (m_decoders.isShownPaused()) {
        switchDecoders(true);
        return;
    }
    switchAfter(int(std::lround(frame / speed * 1000)));
}

void LoopHandOver::startNextPass(bool paused)
{
    switchDecoders(paused);
}

void LoopHandOver::switchAfter(int ms)
{
    // Drawn ahead, pictures show on time; the other decoder's first one takes a few
    // milliseconds to reach the window as it takes over.
    const int takeOver = m_handedOverAheadMs > 0 ? kTakeOverMs : 0;
    m_lastPictureShown.start(std::max(0, ms - takeOver));
    m_nextPassStarts.start(std::max(0, ms - m_startAheadMs));
}

void LoopHandOver::switchDecoders(bool paused)
{
    if (!isReady()) {
        // The waiting decoder is not at the start yet: this pass starts again as usual.
        m_decoders.seekShownToStart();
        return;
    }
    stopTimers();
    const bool letGo = m_state == State::LetGo;
    // The decoder that showed goes back to the start, to wait for the pass after.
    setState(State::Opening);
    m_decoders.switchDecoders(paused, letGo);
}

void LoopHandOver::stopTimers()
{
    m_lastPictureShown.stop();
    m_nextPassStarts.stop();
}

} // namespace tandemo
