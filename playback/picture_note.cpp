#include "playback/picture_note.h"

#include <algorithm>

#include "playback/player_text.h"

#include <QCoreApplication>
#include <QEvent>

#include <cmath>

namespace tandemo {

QString flickerNote(const ComparisonLook& look, double rate)
{
    const QString shown =
        look.flickerShowsSecond ? playerText("second video") : playerText("first video");
    if (rate <= 0)
        return playerText("Flicker on X: %1").arg(shown);
    return playerText("Flicker %1 a second: %2").arg(rate).arg(shown);
}

PictureNote::PictureNote(QWidget& picture)
    : QLabel(&picture)
{
    setObjectName("pictureNote");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 170); "
                                 "padding: 4px 10px; border-radius: 4px; }"));
    QFont larger = font();
    larger.setPointSizeF(larger.pointSizeF() * 1.2);
    setFont(larger);
    hide();
    m_hide.setSingleShot(true);
    m_hide.setInterval(kShownMs);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
    picture.installEventFilter(this);
}

void PictureNote::say(const QString& text, int milliseconds)
{
    if (text.isEmpty())
        return;
    setText(text);
    place();
    show();
    raise();
    m_hide.start(milliseconds);
}

void PictureNote::amend(const QString& text)
{
    if (!isVisible() || text.isEmpty())
        return;
    setText(text);
    place();
}

void PictureNote::place()
{
    const QWidget* picture = parentWidget();
    if (!picture)
        return;
    // A longer note wraps to the picture's width, so that it is read whole.
    setWordWrap(false);
    const int natural = sizeHint().width();
    const int widest = std::max(40, picture->width() - 16);
    setWordWrap(natural > widest);
    const int width = std::min(natural, widest);
    resize(width, wordWrap() ? heightForWidth(width) : sizeHint().height());
    move((picture->width() - this->width()) / 2, 12);
}

bool PictureNote::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QLabel::eventFilter(watched, event);
}

QString lookNote(const ComparisonLook& before, const ComparisonLook& after, double flickerRate,
                 double flickerRateBefore)
{
    const bool modeChanged = before.mode != after.mode;
    switch (after.mode) {
    case ComparisonLook::Divider:
        return modeChanged ? playerText("Divider") : QString();
    case ComparisonLook::Difference:
        if (modeChanged || before.gain != after.gain)
            return playerText("Difference \u00d7%1").arg(after.gain);
        return {};
    case ComparisonLook::OnionSkin:
        if (modeChanged || std::abs(before.opacity - after.opacity) > 1e-9)
            return playerText("Onion skin %1 %").arg(std::lround(after.opacity * 100));
        return {};
    case ComparisonLook::Flicker:
        // Turning by itself, the flicker is what the user asked for: no note each time.
        if (modeChanged || flickerRate != flickerRateBefore ||
            (flickerRate <= 0 && before.flickerShowsSecond != after.flickerShowsSecond))
            return flickerNote(after, flickerRate);
        return {};
    }
    return {};
}

} // namespace tandemo
