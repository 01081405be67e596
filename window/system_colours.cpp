#include "window/system_colours.h"

#include <QApplication>
#include <QWidget>

namespace tandemo {

namespace {

struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

PaletteEntry paletteEntryFor(std::uint32_t systemIndex)
{
    using Index = SystemColour;
    switch (static_cast<Index>(systemIndex)) {
    case Index::Menu:
        return {QPalette::Active, QPalette::Window};
    case Index::Window:
        return {QPalette::Active, QPalette::Base};
    case Index::WindowFrame:
        return {QPalette::Active, QPalette::Shadow};
    case Index::MenuText:
        return {QPalette::Active, QPalette::WindowText};
    case Index::WindowText:
        return {QPalette::Active, QPalette::Text};
    case Index::Highlight:
        return {QPalette::Active, QPalette::Highlight};
    case Index::HighlightText:
        return {QPalette::Active, QPalette::HighlightedText};
    case Index::ButtonFace:
        return {QPalette::Active, QPalette::Button};
    case Index::ButtonShadow:
        return {QPalette::Active, QPalette::Dark};
    case Index::GrayText:
        return {QPalette::Disabled, QPalette::Text};
    case Index::ButtonText:
        return {QPalette::Active, QPalette::ButtonText};
    case Index::ButtonHighlight:
        return {QPalette::Active, QPalette::Light};
    case Index::DarkShadow3D:
        return {QPalette::Active, QPalette::Shadow};
    case Index::Light3D:
        return {QPalette::Active, QPalette::Midlight};
    case Index::InfoText:
        return {QPalette::Active, QPalette::ToolTipText};
    case Index::InfoBackground:
        return {QPalette::Active, QPalette::ToolTipBase};
    }
    // An index Qt has no role for: the plain window background is the least surprising stand-in.
    return {QPalette::Active, QPalette::Window};
}

} // namespace

QColor resolveColour(OleColour colour, const QPalette& palette)
{
    if (!colour.isSystemColour())
        return QColor(colour.red(), colour.green(), colour.blue());
    const PaletteEntry entry = paletteEntryFor(colour.systemIndex());
    return palette.color(entry.group, entry.role);
}

void applyBackColour(QWidget& widget, OleColour colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, resolveColour(colour, QApplication::palette()));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void applyForeColour(QWidget& widget, OleColour colour)
{
    QPalette palette = widget.palette();
    const QColor resolved = resolveColour(colour, QApplication::palette());
    palette.setColor(QPalette::WindowText, resolved);
    palette.setColor(QPalette::Text, resolved);
    widget.setPalette(palette);
}

} // namespace tandemo
