#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QWidget;

namespace tandemo {

/// Puts what a window shows below its menu bar on the whole screen, and back. While on, the
/// transport bars (and the pointer) hide after a while without pointer movement and come back
/// with it; leaving gives the window back exactly as it was (its state, place and size, its menu
/// bar). The window lays itself out for the new size as for any other.
class FullScreen : public QObject {
    Q_OBJECT
public:
    static constexpr int kHideBarsAfterMs = 2000;

    explicit FullScreen(QWidget& window, QObject* parent = nullptr);
    ~FullScreen() override;

    bool isOn() const { return m_on; }
    void setOn(bool on);
    /// Whether the transport bars are shown (always, while not on).
    bool barsShown() const { return !m_barsHidden; }

signals:
    void changed(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter();
    void leave();
    void showBars(bool shown);
    QWidget* menuBar() const;

    QPointer<QWidget> m_window;
    bool m_on = false;
    bool m_barsHidden = false;
    Qt::WindowStates m_stateBefore;
    QRect m_geometryBefore;
    bool m_menuBarShownBefore = false;
    QTimer m_hideBars;
};

} // namespace tandemo
