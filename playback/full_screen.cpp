#include "playback/full_screen.h"

#include "playback/transport_bar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWindow>

namespace tandemo {

FullScreen::FullScreen(QWidget& window, QObject* parent)
    : QObject(parent)
    , m_window(&window)
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
    m_window->setWindowState(m_stateBefore | Qt::WindowFullScreen);
    // Without a window manager to carry the state out, the window covers the screen itself.
    if (const QScreen* screen = m_window->screen())
        m_window->setGeometry(screen->geometry());
    // Moves reach the window's surface whichever widget they are over, tracked or not.
    if (QWindow* surface = m_window->windowHandle())
        surface->installEventFilter(this);
    m_hideBars.start();
}

void FullScreen::leave()
{
    m_hideBars.stop();
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
    if (m_on && event->type() == QEvent::MouseMove) {
        showBars(true);
        m_hideBars.start();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tandemo
