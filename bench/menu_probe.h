#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QMenu>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace tandemo::bench {

/// The most memory the process has held so far, in KiB.
inline long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

/// Opens a menu as a user would and notes how long it takes to be painted: whether the window
/// stays responsive.
class MenuProbe : public QObject {
public:
    MenuProbe()
    {
        for (const char* item : {"Play", "Pause", "Stop", "Loop", "Link Players"})
            m_menu.addAction(QString::fromLatin1(item));
        m_menu.installEventFilter(this);
    }
    void open(QPoint at)
    {
        if (m_menu.isVisible())
            return;
        m_asked.start();
        m_menu.popup(at);
    }
    /// Times from the ask to the first paint, in ms, sorted.
    std::vector<double> times() const
    {
        std::vector<double> sorted = m_times;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_menu && event->type() == QEvent::Paint && m_asked.isValid()) {
            m_times.push_back(m_asked.nsecsElapsed() / 1e6);
            m_asked.invalidate();
            QTimer::singleShot(100, &m_menu, &QMenu::hide);
        }
        return false;
    }

private:
    QMenu m_menu;
    QElapsedTimer m_asked;
    std::vector<double> m_times;
};

} // namespace tandemo::bench
