#include "playback/full_screen.h"

#include "playback/transport_bar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWindow>

#include <utility>

namespace tandemo {

FullScreen::FullScreen(QWidget& window, const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_window(&window)
    , m_panes(panes)
{
    m_hideBars.setSingleShot(true);
    m_hideBars.setInterval(kHideBarsAfterMs);
    connect(&m_hideBars, &QTimer::timeout, this, [this] { showBars(false); });
}

FullScreen::~FullScreen()
{
    // The pointer is the application's; it never stays hidden.
    showBars(true);
}

QList<FullScreen::Pane> FullScreen::panes() const
{
    QList<Pane> shown;
    for (int i = 0; i < m_panes.count(); ++i) {
        auto* player = qobject_cast<QWidget*>(m_panes.view(i));
        if (player && player->parentWidget())
            shown.append(Pane{player->parentWidget(), player});
    }
    return shown;
}

QWidget* FullScreen::paneArea() const
{
    const QList<Pane> shown = panes();
    return shown.isEmpty() ? nullptr : shown.constFirst().frame->parentWidget();
}

void FullScreen::layPanesEdgeToEdge()
{
    QWidget* area = paneArea();
    if (!m_on || !area)
        return;
    // Side by side over all of the area, a line of the dark background between them.
    constexpr int kSplit = 2;
    const QList<Pane> shown = panes();
    const int count = int(shown.size());
    const int width = (area->width() - kSplit * (count - 1)) / count;
    for (int i = 0; i < count; ++i) {
        const Pane& pane = shown[i];
        const int left = i * (width + kSplit);
        const int right = i == count - 1 ? area->width() : left + width;
        pane.frame->setGeometry(left, 0, right - left, area->height());
        pane.player->setGeometry(pane.frame->rect());
    }
}

void FullScreen::givePanesBack()
{
    for (const Pane& pane : panes()) {
        for (QWidget* widget : {pane.frame, pane.player}) {
            if (m_placesBefore.contains(widget))
                widget->setGeometry(m_placesBefore.value(widget));
        }
    }
    m_placesBefore.clear();
    if (QWidget* area = paneArea()) {
        area->removeEventFilter(this);
        area->setPalette(m_areaPaletteBefore);
        area->setAutoFillBackground(m_areaFilledBefore);
    }
}

QWidget* FullScreen::menuBar() const
{
    const auto* main = qobject_cast<QMainWindow*>(m_window.data());
    return main ? main->menuWidget() : nullptr;
}

void FullScreen::setOn(bool on)
{
    if (on == m_on || !m_window)
        return;
    m_on = on;
    if (on)
        enter();
    else
        leave();
    emit changed(on);
}

void FullScreen::enter()
{
    m_stateBefore = m_window->windowState();
    m_geometryBefore = m_window->geometry();
    QWidget* menu = menuBar();
    m_menuBarShownBefore = menu && !menu->isHidden();
    if (menu)
        menu->hide();
    m_placesBefore.clear();
    for (const Pane& pane : panes()) {
        for (QWidget* widget : {pane.frame, pane.player})
            m_placesBefore.insert(widget, widget->geometry());
    }
    if (QWidget* area = paneArea()) {
        m_areaPaletteBefore = area->palette();
        m_areaFilledBefore = area->autoFillBackground();
        QPalette dark = area->palette();
        dark.setColor(QPalette::Window, Qt::black);
        area->setPalette(dark);
        area->setAutoFillBackground(true);
        // The window lays its frames out again at each size; the panes follow once it has.
        area->installEventFilter(this);
    }
    m_window->setWindowState(m_stateBefore | Qt::WindowFullScreen);
    // Without a window manager to carry the state out, the window covers the screen itself.
    if (const QScreen* screen = m_window->screen())
        m_window->setGeometry(screen->geometry());
    // Moves reach the window's surface whichever widget they are over, tracked or not.
    if (QWindow* surface = m_window->windowHandle())
        surface->installEventFilter(this);
    m_hideBars.start();
    layPanesEdgeToEdge();
}

void FullScreen::leave()
{
    m_hideBars.stop();
    givePanesBack();
    if (QWindow* surface = m_window->windowHandle())
        surface->removeEventFilter(this);
    showBars(true);
    if (QWidget* menu = menuBar(); menu && m_menuBarShownBefore)
        menu->show();
    m_window->setWindowState(m_stateBefore);
    if (!(m_stateBefore & (Qt::WindowMaximized | Qt::WindowMinimized)))
        m_window->setGeometry(m_geometryBefore);
}

void FullScreen::showBars(bool shown)
{
    if (shown == !m_barsHidden)
        return;
    m_barsHidden = !shown;
    if (m_window) {
        for (TransportBar* bar : m_window->findChildren<TransportBar*>())
            bar->setVisible(shown);
    }
    if (shown)
        QGuiApplication::restoreOverrideCursor();
    else
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
}

bool FullScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (m_on && watched == paneArea() && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &FullScreen::layPanesEdgeToEdge);
    if (m_on && event->type() == QEvent::MouseMove) {
        showBars(true);
        m_hideBars.start();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tandemo
