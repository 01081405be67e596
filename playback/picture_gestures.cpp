#include "playback/picture_gestures.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace tandemo {

PictureGestures::PictureGestures(QWidget& picture)
    : QObject(&picture)
{
    picture.installEventFilter(this);
}

bool PictureGestures::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        // One notch of a common wheel is 120.
        emit zoomRequested(wheel->position(), wheel->angleDelta().y() / 120.0);
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_dragFrom = mouse->position();
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit doubleClicked();
            return true;
        }
        break;
    case QEvent::Leave:
        emit pointerLeft();
        break;
    case QEvent::MouseMove:
        emit pointerMoved(static_cast<QMouseEvent*>(event)->position());
        if (m_dragFrom) {
            const QPointF at = static_cast<QMouseEvent*>(event)->position();
            emit panRequested(at - *m_dragFrom);
            m_dragFrom = at;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_dragFrom.reset();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tandemo
