#include "platform/hosted_component.h"

#include <QApplication>
#include <QWidget>

namespace tandemo {

namespace {
constexpr char kHostedComponent[] = "tandemoHostedComponent";
} // namespace

void markHostedComponent(QWidget& component)
{
    component.setProperty(kHostedComponent, true);
    // It draws its controls in the desktop's font, whatever font the window itself has: every
    // property of the font is set, so that nothing of the window's font is inherited.
    QFont font = QApplication::font(&component);
    font.setResolveMask(QFont::AllPropertiesResolved);
    component.setFont(font);
}

bool isHostedComponent(const QWidget& widget)
{
    return widget.property(kHostedComponent).toBool();
}

bool isInsideHostedComponent(const QWidget& widget, const QWidget& window)
{
    for (const QWidget* above = widget.parentWidget(); above && above != &window;
         above = above->parentWidget()) {
        if (isHostedComponent(*above))
            return true;
    }
    return false;
}

} // namespace tandemo
