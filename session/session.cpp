#include "session/session.h"

#include "session/transport_rules.h"

#include <algorithm>

namespace tandemo {

Session::Session(QObject* parent)
    : QObject(parent)
{
    m_startTogether.followLink(&m_link);
    connect(&m_swap, &SideSwap::openRequested, this, &Session::openRequested);
    connect(&m_swap, &SideSwap::finished, this, [this] { m_startTogether.standAside(false); });
    connect(&m_comparison, &Comparison::sidesSwapRequested, this, [this] {
        PlaybackEngine* first = m_engines.value(0);
        PlaybackEngine* second = m_engines.value(1);
        // Each file goes on where it was: starting the two together would undo that.
        m_startTogether.standAside(true);
        if (!first || !second || !m_swap.start(*first, *second))
            m_startTogether.standAside(m_swap.isSwapping());
    });
}

void Session::add(PlaybackEngine* engine, PlayerActions* actions)
{
    m_engines.append(engine);
    m_actions.append(actions);
    m_link.add(engine);
    m_comparison.add(engine);
    m_startTogether.watch(engine);
    connect(engine, &PlaybackEngine::loadStarted, this, &Session::onLoadStarted);
    // Only its address is used once it is going.
    connect(engine, &QObject::destroyed, this, [this, engine] { remove(engine); });
}

void Session::remove(PlaybackEngine* engine)
{
    m_link.remove(engine);
    m_comparison.remove(engine);
    // Called as it goes, when its pointer may already read null.
    for (qsizetype i = m_engines.size() - 1; i >= 0; --i) {
        if (!m_engines[i] || m_engines[i] == engine) {
            m_engines.removeAt(i);
            m_actions.removeAt(i);
        }
    }
}

void Session::dropOn(int pane, const QStringList& files)
{
    const int panes = std::max(paneCount(), 2);
    for (int i = 0; i < std::min(int(files.size()), panes); ++i)
        emit openRequested((pane + i) % panes, files[i]);
}

int Session::paneOf(const PlaybackEngine* engine) const
{
    for (qsizetype i = 0; i < m_engines.size(); ++i) {
        if (m_engines[i] == engine)
            return int(i);
    }
    return -1;
}

void Session::onLoadStarted()
{
    // Linked, a passage is the files' together: a new file in one ends it in all. Swapped,
    // each file keeps its own.
    if (m_link.isLinked() && !m_swap.isSwapping()) {
        for (const QPointer<PlaybackEngine>& engine : m_engines) {
            if (engine)
                engine->setPassage(std::nullopt);
        }
    }
}

} // namespace tandemo
