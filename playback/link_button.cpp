#include "playback/link_button.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace tandemo {

QPixmap chainPicture(bool closed, QColor colour, int size, qreal devicePixelRatio)
{
    QPixmap picture(QSize(size, size) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, std::max(1.5, size / 9.0)));
    // Each link an upright rounded ring; through each other when closed, apart when open.
    const qreal width = size * 0.5;
    const qreal height = size * 0.32;
    const qreal gap = closed ? -size * 0.16 : size * 0.12;
    const qreal left = (size - (2 * width + gap)) / 2;
    const qreal top = (size - height) / 2;
    painter.drawRoundedRect(QRectF(left, top, width, height), height / 2, height / 2);
    painter.drawRoundedRect(QRectF(left + width + gap, top, width, height), height / 2, height / 2);
    return picture;
}

LinkButton::LinkButton(QWidget* parent)
    : QToolButton(parent)
{
    setCheckable(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    showState();
}

void LinkButton::checkStateSet()
{
    QToolButton::checkStateSet();
    showState();
}

void LinkButton::nextCheckState()
{
    QToolButton::nextCheckState();
    showState();
}

void LinkButton::changeEvent(QEvent* event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::StyleChange)
        showState();
}

void LinkButton::paintEvent(QPaintEvent* event)
{
    if (!isChecked())
        return QToolButton::paintEvent(event);
    // Linked: filled with the highlight colour, whatever the style makes of a checked button.
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QPalette desktop = parentWidget() ? parentWidget()->palette() : palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(desktop.color(QPalette::Highlight));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    option.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_Raised);
    option.state |= QStyle::State_AutoRaise;
    option.palette.setColor(QPalette::ButtonText, desktop.color(QPalette::HighlightedText));
    style()->drawControl(QStyle::CE_ToolButtonLabel, &option, &painter, this);
}

void LinkButton::showState()
{
    const QPalette desktop = parentWidget() ? parentWidget()->palette() : palette();
    const QColor ink =
        desktop.color(isChecked() ? QPalette::HighlightedText : QPalette::ButtonText);
    setIcon(chainPicture(isChecked(), ink, iconSize().height(), devicePixelRatioF()));
    update();
}

} // namespace tandemo
