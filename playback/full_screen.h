#pragma once

#include "session/panes.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QWidget;

namespace tandemo {

/// Puts what a window shows below its menu bar on the whole screen, and back. While on, the
/// transport bars (and the pointer) hide after a while without pointer movement and come back
/// with it; leaving gives the window back exactly as it was (its state, place and size, its menu
/// bar). While on, the panes fill the screen edge to edge, side by side, split by a thin dark
/// line, whatever margins the window keeps around them at other sizes: each pane's widget and the
/// frame that holds it in the window.
class FullScreen : public QObject {
    Q_OBJECT
public:
    static constexpr int kHideBarsAfterMs = 2000;

    FullScreen(QWidget& window, const Panes& panes, QObject* parent = nullptr);
    ~FullScreen() override;

    bool isOn() const { return m_on; }
    void setOn(bool on);

signals:
    void changed(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter();
    void leave();
    void showBars(bool shown);
    QWidget* menuBar() const;
    /// Where the panes lie: the widget that holds their frames.
    QWidget* paneArea() const;
    void layPanesEdgeToEdge();
    void givePanesBack();

    /// A pane as the window holds it: the frame, and the player in it.
    struct Pane {
        QWidget* frame = nullptr;
        QWidget* player = nullptr;
    };
    /// The panes that are shown in a frame, in order.
    QList<Pane> panes() const;

    QPointer<QWidget> m_window;
    const Panes& m_panes;
    bool m_on = false;
    bool m_barsHidden = false;
    Qt::WindowStates m_stateBefore;
    QRect m_geometryBefore;
    bool m_menuBarShownBefore = false;
    QTimer m_hideBars;
    // Where the frames and players were before they filled the screen.
    QHash<QWidget*, QRect> m_placesBefore;
    QPalette m_areaPaletteBefore;
    bool m_areaFilledBefore = false;
};

} // namespace tandemo
