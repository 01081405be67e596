#pragma once

#include "window/ole_colour.h"

#include <QFrame>

namespace tandemo {

/// A framed pane that holds other controls, with a background and a foreground colour.
/// Children are placed relative to its client area, inside the thin border.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    OleColour backColour() const { return m_backColour; }
    void setBackColour(OleColour colour);

    OleColour foreColour() const { return m_foreColour; }
    void setForeColour(OleColour colour);

    /// Where the client area starts, in the frame's own pixels.
    QPoint clientOrigin() const { return contentsRect().topLeft(); }

protected:
    bool event(QEvent* event) override;

private:
    OleColour m_backColour;
    OleColour m_foreColour;
};

} // namespace tandemo
