#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

class QWidget;

namespace tandemo {

/// Reads the mouse over a picture: the wheel asks for a zoom around the pointer, a drag with the
/// left button for a pan, a double-click for full screen. It only says what the user asked; the
/// player decides.
class PictureGestures : public QObject {
    Q_OBJECT
public:
    /// Watches the picture's widget, and goes with it.
    explicit PictureGestures(QWidget& picture);

signals:
    /// Wheel steps (positive: in) at a point of the picture's widget.
    void zoomRequested(QPointF at, double steps);
    void panRequested(QPointF delta);
    void doubleClicked();
    /// The pointer moved over the picture (with the widget's mouse tracking on, also with no
    /// button held), or left it.
    void pointerMoved(QPointF at);
    void pointerLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<QPointF> m_dragFrom;
};

} // namespace tandemo
