#pragma once

#include "window/ole_colour.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace tandemo {

/// Resolves a colour value to a concrete colour: RGB values as they are, system colours through
/// the palette role that stands for them in Qt. This is the one place that maps the two.
QColor resolveColour(OleColour colour, const QPalette& palette);

/// Paints the widget's background in the colour (the widget fills its own background).
void applyBackColour(QWidget& widget, OleColour colour);

/// Sets the colour in which the widget draws its text and lines.
void applyForeColour(QWidget& widget, OleColour colour);

} // namespace tandemo
