#include "window/picture_box.h"

#include "window/system_colours.h"

#include <QEvent>

namespace tandemo {

PictureBox::PictureBox(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setBackColour(OleColour::fromSystem(SystemColour::Window));
    setForeColour(OleColour::fromSystem(SystemColour::WindowText));
}

void PictureBox::setBackColour(OleColour colour)
{
    m_backColour = colour;
    applyBackColour(*this, colour);
}

void PictureBox::setForeColour(OleColour colour)
{
    m_foreColour = colour;
    applyForeColour(*this, colour);
}

bool PictureBox::event(QEvent* event)
{
    const bool handled = QFrame::event(event);
    // System colours follow the desktop's palette when it changes, as they do natively.
    if (event->type() == QEvent::ApplicationPaletteChange) {
        setBackColour(m_backColour);
        setForeColour(m_foreColour);
    }
    return handled;
}

} // namespace tandemo
