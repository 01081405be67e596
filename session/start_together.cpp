#include "session/start_together.h"

#include "session/player_link.h"

#include <utility>

namespace tandemo {

StartTogether::StartTogether(int longestHoldMs, QObject* parent)
    : QObject(parent)
{
    m_longestHold.setSingleShot(true);
    m_longestHold.setInterval(longestHoldMs);
    connect(&m_longestHold, &QTimer::timeout, this, &StartTogether::release);
}

void StartTogether::watch(PlaybackEngine* engine)
{
    for (Pane& pane : m_panes) {
        if (pane.engine)
            continue;
        pane.engine = engine;
        connect(engine, &PlaybackEngine::loadStarted, this,
                [this, &pane](bool paused) { onLoadStarted(pane, paused); });
        connect(engine, &PlaybackEngine::playbackRestarted, this,
                [this, &pane] { onRestarted(pane); });
        // A file that fails may do so before the engine ever reports it open.
        connect(engine, &PlaybackEngine::fileFailed, this, [this, &pane] {
            pane.fileOpen = false;
            onClosed(pane);
        });
        connect(engine, &PlaybackEngine::idleChanged, this, [this, &pane](bool idle) {
            if (!idle)
                pane.fileOpen = true;
            else if (std::exchange(pane.fileOpen, false))
                onClosed(pane);
        });
        return;
    }
}

StartTogether::Pane& StartTogether::other(const Pane& pane)
{
    return &pane == &m_panes[0] ? m_panes[1] : m_panes[0];
}

void StartTogether::onLoadStarted(Pane& pane, bool paused)
{
    // A file asked to wait at its first frame waits anyway; a new file replaces what was held.
    const bool wasHeld = pane.state == State::Held || pane.state == State::Waiting;
    pane.state = paused || m_standingAside ? State::Quiet : State::Opening;
    pane.fileOpen = false;
    pane.loadStarted.start();
    if (m_standingAside)
        return;
    if (paused) {
        if (wasHeld)
            releaseWhenAllShow();
        if (m_link && m_link->isLinked())
            restartPartnerWith(pane, true);
        return;
    }
    // Held together: with the other opened a moment ago and not showing yet, or again when a
    // held pane gets a new file.
    Pane& partner = other(pane);
    const bool partnerOpening =
        partner.state == State::Opening && partner.loadStarted.elapsed() <= kTogetherMs;
    if (wasHeld || partnerOpening || partner.state == State::Held) {
        for (Pane* holding : {&pane, &partner}) {
            if (holding->state == State::Opening && holding->engine) {
                holding->engine->pause();
                holding->state = State::Held;
            }
        }
        m_longestHold.start();
    }
    if (m_link && m_link->isLinked())
        restartPartnerWith(pane, false);
}

void StartTogether::restartPartnerWith(Pane& pane, bool paused)
{
    m_link->resetOffset();
    Pane& partner = other(pane);
    // A partner that is opening a file of its own starts with this one anyway.
    if (!partner.engine || partner.engine->isIdle() || partner.state != State::Quiet)
        return;
    partner.engine->seekTo(0, true);
    partner.engine->pause();
    if (paused)
        return;
    partner.state = State::Waiting;
    if (pane.state == State::Opening && pane.engine) {
        pane.engine->pause();
        pane.state = State::Held;
    }
    m_longestHold.start();
}

void StartTogether::onRestarted(Pane& pane)
{
    if (pane.state == State::Held) {
        pane.state = State::Waiting;
        releaseWhenAllShow();
    } else if (pane.state == State::Opening) {
        pane.state = State::Quiet; // started alone, and plays
    }
}

void StartTogether::onClosed(Pane& pane)
{
    // The file could not be played: the other need not wait for it. (The engine's first report
    // that it has no file, which may come after the load began, is not such a close.)
    if (pane.state == State::Quiet)
        return;
    pane.state = State::Quiet;
    releaseWhenAllShow();
}

void StartTogether::releaseWhenAllShow()
{
    for (const Pane& pane : m_panes) {
        if (pane.state == State::Held)
            return;
    }
    release();
}

void StartTogether::release()
{
    m_longestHold.stop();
    for (Pane& pane : m_panes) {
        if (pane.state == State::Held || pane.state == State::Waiting) {
            pane.state = State::Quiet;
            if (pane.engine)
                pane.engine->play();
        }
    }
}

} // namespace tandemo
