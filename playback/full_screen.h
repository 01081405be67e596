#pragma once

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
/// bar). While on, the panes it was given fill the screen edge to edge, side by side, split by a
/// thin dark line, whatever margins the window keeps around them at other sizes.
class FullScreen : public QObject {
    Q_OBJECT
public:
    static constexpr int kHideBarsAfterMs = 2000;

    explicit FullScreen(QWidget& window, QObject* parent = nullptr);
    ~FullScreen() override;

    /// A pane to lay edge to edge while on: the frame that holds it in the window, and the
    /// player in the frame.
    void addPane(QWidget* frame, QWidget* player);

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

    struct Pane {
        QPointer<QWidget> frame;
        QPointer<QWidget> player;
        QRect frameBefore;
        QRect playerBefore;
    };

    QPointer<QWidget> m_window;
    bool m_on = false;
    bool m_barsHidden = false;
    Qt::WindowStates m_stateBefore;
    QRect m_geometryBefore;
    bool m_menuBarShownBefore = false;
    QTimer m_hideBars;
    QList<Pane> m_panes;
    QPalette m_areaPaletteBefore;
    bool m_areaFilledBefore = false;
};

} // namespace tandemo
