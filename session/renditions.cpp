#include "session/renditions.h"

#include "session/player_link.h"

#include <algorithm>

namespace tandemo {

Renditions::Renditions(Panes& panes, PlayerLink& link, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
    , m_link(link)
{
    connect(&panes, &Panes::added, this, [this](int, PlaybackEngine* engine) {
        connect(engine, &PlaybackEngine::loadStarted, this,
                [this, engine] { onLoadStarted(engine); });
    });
    connect(&panes, &Panes::removed, this,
            [this](const PlaybackEngine* engine) { m_alignments.remove(engine); });
    connect(&link, &PlayerLink::offsetChanged, this, &Renditions::keepLinkedAlignment);
}

void Renditions::hold(int pane, const QStringList& files)
{
    if (const PlaybackEngine* engine = m_panes.engine(pane))
        m_alignments.remove(engine);
    m_panes.setFiles(pane, files.size() > 1 ? files : QStringList());
}

void Renditions::onLoadStarted(PlaybackEngine* engine)
{
    // A file that is none of the pane's renditions replaces them all.
    const int pane = m_panes.paneOf(engine);
    const QStringList files = m_panes.files(pane);
    if (files.size() > 1 && files.value(m_panes.showing(pane)) != engine->file()) {
        m_alignments.remove(engine);
        m_panes.setFiles(pane, {});
    }
}

int Renditions::holderFor(int pane) const
{
    if (m_panes.files(pane).size() > 1)
        return pane;
    for (int i = 0; i < m_panes.count(); ++i) {
        if (m_panes.files(i).size() > 1)
            return i;
    }
    return -1;
}

void Renditions::showNext(int fromPane)
{
    const int pane = holderFor(fromPane);
    if (pane >= 0)
        show(pane, (m_panes.showing(pane) + 1) % int(m_panes.files(pane).size()));
}

void Renditions::show(int pane, int index)
{
    PlaybackEngine* engine = m_panes.engine(pane);
    const QStringList files = m_panes.files(pane);
    if (!engine || index < 0 || index >= files.size() || index == m_panes.showing(pane))
        return;
    keepLinkedAlignment();
    // Linked, the new rendition goes to the other pane's moment with its own alignment; else
    // it shows the moment this pane showed.
    double at = engine->destination();
    const Alignment alignment = alignmentOf(pane, index);
    const PlaybackEngine* other = nullptr;
    for (const PlaybackEngine* candidate : m_panes.engines()) {
        if (candidate != engine && !other)
            other = candidate;
    }
    if (m_link.isLinked() && other)
        at = other->destination() * alignment.rate + alignment.offset;
    m_panes.setFiles(pane, files, index);
    engine->switchFile(files[index], std::max(0.0, at));
    if (m_link.isLinked())
        m_link.linkWithDrift(engine, alignment.offset, alignment.rate, nullptr);
    emit shown(pane, index, int(files.size()));
}

Renditions::Alignment Renditions::alignmentOf(int pane, int index) const
{
    const PlaybackEngine* engine = m_panes.engine(pane);
    return m_alignments.value(engine).value(m_panes.files(pane).value(index));
}

void Renditions::setAlignment(int pane, int index, Alignment alignment)
{
    const PlaybackEngine* engine = m_panes.engine(pane);
    const QString file = m_panes.files(pane).value(index);
    if (engine && !file.isEmpty())
        m_alignments[engine][file] = alignment;
}

void Renditions::keepLinkedAlignment()
{
    if (!m_link.isLinked())
        return;
    for (int pane = 0; pane < m_panes.count(); ++pane) {
        const PlaybackEngine* engine = m_panes.engine(pane);
        if (engine && m_panes.files(pane).size() > 1)
            setAlignment(pane, m_panes.showing(pane),
                         {m_link.offsetOf(engine), m_link.rateOf(engine)});
    }
}

} // namespace tandemo
