#include "session/side_swap.h"

#include "session/player_link.h"

#include <utility>

namespace tandemo {

SideSwap::SideSwap(const Panes& panes, PlayerLink& link, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
    , m_link(link)
{
    m_longestWait.setSingleShot(true);
    m_longestWait.setInterval(kLongestWaitMs);
    connect(&m_longestWait, &QTimer::timeout, this, &SideSwap::finish);
}

bool SideSwap::start()
{
    PlaybackEngine* first = m_panes.engine(0);
    PlaybackEngine* second = m_panes.engine(1);
    if (isSwapping() || !first || !second || first->isIdle() || second->isIdle() ||
        first->file().isEmpty() || second->file().isEmpty())
        return false;
    m_wasLinked = m_link.isLinked();
    m_secondAhead = m_link.offsetOf(second);
    PlaybackEngine* engines[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        Side& side = m_sides[i];
        PlaybackEngine* engine = engines[i];
        side.engine = engine;
        side.file = engine->file();
        // A seek under way counts as done: that is the moment the user asked for.
        side.position = engine->destination();
        side.paused = engine->isPaused();
        side.passage = engine->passage();
        side.loaded = connect(engine, &PlaybackEngine::fileLoaded, this,
                              [this, i] { resume(m_sides[i], m_sides[1 - i]); });
        side.failed =
            connect(engine, &PlaybackEngine::fileFailed, this, [this, i] { settle(m_sides[i]); });
    }
    m_waiting = 2;
    m_longestWait.start();
    emit openRequested(0, m_sides[1].file);
    emit openRequested(1, m_sides[0].file);
    return true;
}

void SideSwap::resume(Side& pane, const Side& was)
{
    if (pane.engine) {
        PlaybackEngine& engine = *pane.engine;
        engine.pause();
        engine.seekTo(was.position, true);
        engine.setPassage(was.passage);
        if (!was.paused)
            engine.play();
    }
    settle(pane);
}

void SideSwap::settle(Side& pane)
{
    if (!pane.loaded && !pane.failed)
        return;
    disconnect(std::exchange(pane.loaded, {}));
    disconnect(std::exchange(pane.failed, {}));
    if (--m_waiting == 0)
        finish();
}

void SideSwap::finish()
{
    m_longestWait.stop();
    for (Side& side : m_sides) {
        disconnect(std::exchange(side.loaded, {}));
        disconnect(std::exchange(side.failed, {}));
    }
    m_waiting = 0;
    // The second file now plays first: it was ahead by the offset, so the first is ahead now.
    if (m_wasLinked && m_sides[0].engine && m_sides[1].engine)
        m_link.linkWithOffset(m_sides[0].engine, m_secondAhead, nullptr);
    emit finished();
}

} // namespace tandemo
