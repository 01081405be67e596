#pragma once

#include "analysis/media_facts.h"

#include <QLabel>
#include <QTimer>

#include <functional>

namespace tandemo {

/// The facts of what a player plays, shown in a corner over its picture and kept current while
/// shown. Hidden until asked for.
class FactsOverlay : public QLabel {
    Q_OBJECT
public:
    /// How often the shown facts are brought up to date.
    static constexpr int kRefreshMs = 200;

    FactsOverlay(std::function<MediaFacts()> facts, QWidget* picture);

    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    void refresh();

private:
    std::function<MediaFacts()> m_facts;
    QTimer m_refresh;
    bool m_shown = false;
};

} // namespace tandemo
