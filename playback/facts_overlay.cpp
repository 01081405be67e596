#include "playback/facts_overlay.h"

#include <QFontDatabase>

namespace tandemo {

FactsOverlay::FactsOverlay(std::function<MediaFacts()> facts, QWidget* picture)
    : QLabel(picture)
    , m_facts(std::move(facts))
{
    // Readable over any picture: light text on a dark, half transparent box; the pointer's
    // gestures reach the picture below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 160); "
                                 "padding: 4px; }"));
    setTextFormat(Qt::PlainText);
    move(6, 6);
    hide();
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &FactsOverlay::refresh);
}

void FactsOverlay::setShown(bool shown)
{
    m_shown = shown;
    if (shown) {
        refresh();
        m_refresh.start();
        show();
        raise();
    } else {
        m_refresh.stop();
        hide();
    }
}

void FactsOverlay::refresh()
{
    const MediaFacts facts = m_facts();
    const QString text = facts.file.isEmpty() ? tr("No video") : describeFacts(facts);
    if (text == this->text())
        return;
    setText(text);
    adjustSize();
}

} // namespace tandemo
