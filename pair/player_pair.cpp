#include "pair/player_pair.h"

namespace tandemo {

PlayerPair::PlayerPair(QObject* parent)
    : QObject(parent)
{
    m_startTogether.followLink(&m_link);
}

void PlayerPair::add(PlaybackEngine* engine)
{
    m_engines.append(engine);
    m_link.add(engine);
    m_startTogether.watch(engine);
    // Only its address is used once it is going.
    connect(engine, &QObject::destroyed, this, [this, engine] { remove(engine); });
}

void PlayerPair::remove(PlaybackEngine* engine)
{
    m_link.remove(engine);
    m_views.remove(engine);
    m_engines.removeIf(
        [engine](const QPointer<PlaybackEngine>& e) { return !e || e.data() == engine; });
}

void PlayerPair::dropOn(int pane, const QStringList& files)
{
    if (files.isEmpty())
        return;
    emit openRequested(pane, files.constFirst());
    if (files.size() > 1)
        emit openRequested(pane == 0 ? 1 : 0, files[1]);
}

void PlayerPair::enterComparison(PlaybackEngine* origin)
{
    if (m_comparing)
        return;
    m_comparing = true;
    m_wasLinked = m_link.isLinked();
    m_views.clear();
    for (const QPointer<PlaybackEngine>& engine : m_engines) {
        if (engine)
            m_views.insert(engine, engine->view());
    }
    m_link.setLinked(true, origin);
}

void PlayerPair::leaveComparison()
{
    if (!m_comparing)
        return;
    m_comparing = false;
    for (const QPointer<PlaybackEngine>& engine : m_engines) {
        if (engine && m_views.contains(engine))
            engine->setView(m_views.value(engine));
    }
    if (!m_wasLinked)
        m_link.setLinked(false);
}

} // namespace tandemo
