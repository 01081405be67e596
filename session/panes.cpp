#include "session/panes.h"

#include <algorithm>

namespace tandemo {

Panes::Panes(QObject* parent)
    : QObject(parent)
{
}

void Panes::add(PlaybackEngine* engine, QObject* view)
{
    if (!engine || paneOf(engine) >= 0)
        return;
    m_panes.append({engine, view, {}, 0});
    // Only its address is used once it is going.
    connect(engine, &QObject::destroyed, this, [this, engine] { remove(engine); });
    emit added(count() - 1, engine);
}

void Panes::remove(const PlaybackEngine* engine)
{
    // Called as it goes, when its pointer may already read null.
    const qsizetype before = m_panes.size();
    m_panes.removeIf([engine](const Pane& pane) { return !pane.engine || pane.engine == engine; });
    if (m_panes.size() != before)
        emit removed(engine);
}

PlaybackEngine* Panes::engine(int pane) const
{
    return pane >= 0 && pane < count() ? m_panes[pane].engine.data() : nullptr;
}

QObject* Panes::view(int pane) const
{
    return pane >= 0 && pane < count() ? m_panes[pane].view.data() : nullptr;
}

int Panes::paneOf(const PlaybackEngine* engine) const
{
    const auto at = std::find_if(m_panes.cbegin(), m_panes.cend(),
                                 [engine](const Pane& pane) { return pane.engine == engine; });
    return engine && at != m_panes.cend() ? int(at - m_panes.cbegin()) : -1;
}

int Panes::paneShownBy(const QObject* view) const
{
    const auto at = std::find_if(m_panes.cbegin(), m_panes.cend(),
                                 [view](const Pane& pane) { return pane.view == view; });
    return view && at != m_panes.cend() ? int(at - m_panes.cbegin()) : -1;
}

QList<PlaybackEngine*> Panes::engines() const
{
    QList<PlaybackEngine*> all;
    for (const Pane& pane : m_panes) {
        if (pane.engine)
            all << pane.engine.data();
    }
    return all;
}

QStringList Panes::files(int pane) const
{
    if (pane < 0 || pane >= count())
        return {};
    if (!m_panes[pane].files.isEmpty())
        return m_panes[pane].files;
    const PlaybackEngine* playing = engine(pane);
    return playing && !playing->file().isEmpty() ? QStringList{playing->file()} : QStringList{};
}

int Panes::showing(int pane) const
{
    return pane >= 0 && pane < count() ? m_panes[pane].showing : 0;
}

void Panes::setFiles(int pane, const QStringList& files, int showing)
{
    if (pane < 0 || pane >= count())
        return;
    m_panes[pane].files = files;
    m_panes[pane].showing = files.isEmpty() ? 0 : std::clamp(showing, 0, int(files.size()) - 1);
    emit filesChanged(pane);
}

} // namespace tandemo
