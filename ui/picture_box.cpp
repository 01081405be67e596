#include "ui/picture_box.h"

#include "platform/system_colours.h"

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

} // namespace tandemo
