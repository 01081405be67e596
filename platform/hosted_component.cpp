#include "platform/hosted_component.h"

#include <QWidget>

namespace tandemo {

namespace {
constexpr char kHostedComponent[] = "tandemoHostedComponent";
} // namespace

void markHostedComponent(QWidget& component)
{
    component.setProperty(kHostedComponent, true);
}

bool isInsideHostedComponent(const QWidget& widget, const QWidget& window)
{
    for (const QWidget* above = widget.parentWidget(); above && above != &window;
         above = above->parentWidget()) {
        if (above->property(kHostedComponent).toBool())
            return true;
    }
    return false;
}

} // namespace tandemo
