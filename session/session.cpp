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
        // Each file goes on where it was: starting the two together would undo that.
        m_startTogether.standAside(true);
        if (!m_swap.start())
            m_startTogether.standAside(m_swap.isSwapping());
    });
    connect(&m_panes, &Panes::removed, this,
            [this](const PlaybackEngine* engine) { m_actions.remove(engine); });
    connect(&m_panes, &Panes::added, this, [this](int, PlaybackEngine* engine) {
        connect(engine, &PlaybackEngine::loadStarted, this, &Session::onLoadStarted);
    });
}

void Session::add(PlaybackEngine* engine, PlayerActions* actions, QObject* view)
{
    m_actions.insert(engine, actions);
    m_panes.add(engine, view);
}

void Session::dropOn(int pane, const QStringList& files)
{
    // Three or more: a reference and its renditions. On the first pane, the first file is the
    // reference and the second pane holds the rest; on another, that pane holds them all.
    if (files.size() > 2 && paneCount() >= 2) {
        const QStringList renditions = pane == 0 ? files.mid(1) : files;
        if (pane == 0)
            emit openRequested(0, files[0]);
        const int holder = pane == 0 ? 1 : pane;
        m_renditions.hold(holder, renditions);
        emit openRequested(holder, renditions[0]);
        return;
    }
    const int panes = std::max(paneCount(), 2);
    for (int i = 0; i < std::min(int(files.size()), panes); ++i)
        emit openRequested((pane + i) % panes, files[i]);
}

void Session::onLoadStarted()
{
    // Linked, a passage is the files' together: a new file in one ends it in all. Swapped,
    // each file keeps its own.
    if (m_link.isLinked() && !m_swap.isSwapping()) {
        for (PlaybackEngine* engine : m_panes.engines())
            engine->setPassage(std::nullopt);
    }
}

} // namespace tandemo
