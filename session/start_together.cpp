#include "session/start_together.h"

#include "session/player_link.h"

#include <utility>

namespace tandemo {

StartTogether::StartTogether(const Panes& panes, int longestHoldMs, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
{
    m_longestHold.setSingleShot(true);
    m_longestHold.setInterval(longestHoldMs);
    connect(&m_longestHold, &QTimer::timeout, this, &StartTogether::release);
    connect(&panes, &Panes::added, this, &StartTogether::watch);
    connect(&panes, &Panes::removed, this,
            [this](const PlaybackEngine* engine) { m_states.remove(engine); });
}

void StartTogether::watch(int index, PlaybackEngine* engine)
{
    if (index >= kPanes)
        return;
    Pane& pane = m_states[engine];
    pane.engine = engine;
    connect(engine, &PlaybackEngine::loadStarted, this,
            [this, engine](bool paused) { onLoadStarted(m_states[engine], paused); });
    connect(engine, &PlaybackEngine::playbackRestarted, this,
            [this, engine] { onRestarted(m_states[engine]); });
    // A file that fails may do so before the engine ever reports it open.
    connect(engine, &PlaybackEngine::fileFailed, this, [this, engine] {
        Pane& failed = m_states[engine];
        failed.fileOpen = false;
        onClosed(failed);
    });
    connect(engine, &PlaybackEngine::idleChanged, this, [this, engine](bool idle) {
        Pane& changed = m_states[engine];
        if (!idle)
            changed.fileOpen = true;
        else if (std::exchange(changed.fileOpen, false))
            onClosed(changed);
    });
}

StartTogether::Pane& StartTogether::other(const Pane& pane)
{
    const PlaybackEngine* first = m_panes.engine(0);
    PlaybackEngine* partner = pane.engine == first ? m_panes.engine(1) : m_panes.engine(0);
    // Looked up, never added: a reference to a pane's state must outlive the call.
    const auto found = m_states.find(partner);
    return found != m_states.end() ? *found : m_noPartner;
}

QList<StartTogether::Pane*> StartTogether::watched()
{
    QList<Pane*> panes;
    for (int i = 0; i < kPanes; ++i) {
        if (PlaybackEngine* engine = m_panes.engine(i); engine && m_states.contains(engine))
            panes << &m_states[engine];
    }
    return panes;
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
    for (const Pane* pane : watched()) {
        if (pane->state == State::Held)
            return;
    }
    release();
}

void StartTogether::release()
{
    m_longestHold.stop();
    for (Pane* pane : watched()) {
        if (pane->state == State::Held || pane->state == State::Waiting) {
            pane->state = State::Quiet;
            if (pane->engine)
                pane->engine->play();
        }
    }
}

} // namespace tandemo
