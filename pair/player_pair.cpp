#include "pair/player_pair.h"

#include "pair/transport_rules.h"

namespace tandemo {

PlayerPair::PlayerPair(QObject* parent)
    : QObject(parent)
{
    m_startTogether.followLink(&m_link);
    connect(&m_alignment, &AlignmentSearch::progressed, this, &PlayerPair::alignmentProgressed);
    connect(&m_alignment, &AlignmentSearch::finished, this,
            [this](bool compared, const AlignmentSearch::Result& result) {
                PlaybackEngine* second = m_engines.value(1);
                if (!compared || !second) {
                    emit alignmentFinished(Aligned::NothingToCompare, 0);
                } else if (!result.clear) {
                    emit alignmentFinished(Aligned::NoClearMatch, result.secondAhead);
                } else {
                    m_link.linkWithOffset(second, result.secondAhead,
                                          m_alignOrigin ? m_alignOrigin.data() : second);
                    emit alignmentFinished(Aligned::Done, result.secondAhead);
                }
            });
}

void PlayerPair::add(PlaybackEngine* engine)
{
    m_engines.append(engine);
    m_link.add(engine);
    m_startTogether.watch(engine);
    connect(engine, &PlaybackEngine::loadStarted, this, &PlayerPair::onLoadStarted);
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

int PlayerPair::paneOf(const PlaybackEngine* engine) const
{
    for (qsizetype i = 0; i < m_engines.size(); ++i) {
        if (m_engines[i] == engine)
            return int(i);
    }
    return -1;
}

void PlayerPair::onLoadStarted()
{
    if (m_alignment.isRunning())
        cancelAlignment();
    // Linked, a passage is the two files' together: a new file in one ends it in both.
    if (m_link.isLinked()) {
        for (const QPointer<PlaybackEngine>& engine : m_engines) {
            if (engine)
                engine->setPassage(std::nullopt);
        }
    }
}

void PlayerPair::align(AlignmentSearch::By by, PlaybackEngine* origin)
{
    PlaybackEngine* first = m_engines.value(0);
    PlaybackEngine* second = m_engines.value(1);
    if (!first || !second || first->isIdle() || second->isIdle()) {
        emit alignmentFinished(Aligned::NothingToCompare, 0);
        return;
    }
    m_alignOrigin = origin;
    m_alignment.start(by, {first->file(), first->position(), first->duration()},
                      {second->file(), second->position(), second->duration()});
    emit alignmentProgressed(0);
}

void PlayerPair::cancelAlignment()
{
    if (!m_alignment.isRunning())
        return;
    m_alignment.cancel();
    emit alignmentCancelled();
}

void PlayerPair::setHeard(int pane)
{
    m_heard = pane >= 0 && pane < m_engines.size() ? pane : -1;
    for (qsizetype i = 0; i < m_engines.size(); ++i) {
        if (m_engines[i])
            m_engines[i]->setSilenced(m_heard >= 0 && i != m_heard);
    }
    emit heardChanged(m_heard);
}

} // namespace tandemo
