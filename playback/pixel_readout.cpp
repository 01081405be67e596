#include "playback/pixel_readout.h"

#include "playback/picture_gestures.h"
#include "session/player_actions.h"

#include <QCursor>
#include <QFontDatabase>

namespace tandemo {

namespace {

// Away from the pointer, so that the pixel itself stays in sight.
constexpr int kBesidePointer = 16;

} // namespace

PixelReadout::PixelReadout(QWidget& picture, PictureGestures& gestures, PlayerActions& player)
    : QLabel(&picture)
    , m_player(player)
{
    setObjectName("pixelReadout");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 190); "
                                 "padding: 4px 8px; border-radius: 4px; }"));
    hide();
    connect(&gestures, &PictureGestures::pointerMoved, this, [this](QPointF at) { pointTo(at); });
    connect(&gestures, &PictureGestures::pointerLeft, this, [this] { pointTo(std::nullopt); });
    Comparison* comparison = player.comparison();
    if (!comparison)
        return;
    PixelInspector& inspector = comparison->inspector();
    connect(&inspector, &PixelInspector::onChanged, this, [this, &picture](bool on) {
        // Moves with no button held are only reported while the pixel under them matters.
        picture.setMouseTracking(on);
        if (!on) {
            hide();
        } else if (picture.underMouse()) {
            pointTo(picture.mapFromGlobal(QCursor::pos()).toPointF());
        }
    });
    connect(&inspector, &PixelInspector::inspected, this,
            [this, &inspector](const PixelInspector::Report& report) {
                if (!m_pointer || !inspector.isOn())
                    return;
                const QString text = pixelReportText(report);
                setVisible(!text.isEmpty());
                setText(text);
                adjustSize();
                place();
                raise();
            });
    // Another frame shows: its pixel is read again.
    connect(&player.engine(), &PlaybackEngine::positionChanged, this, [this] {
        if (m_pointer)
            pointTo(m_pointer);
    });
}

void PixelReadout::pointTo(std::optional<QPointF> at)
{
    m_pointer = at;
    if (!at)
        hide();
    // In the screen's pixels, which a pixel-for-pixel view counts in.
    const double ratio = devicePixelRatioF();
    m_player.setPointer(at ? std::optional<QPointF>(*at * ratio) : std::nullopt,
                        QSizeF(parentWidget()->size()) * ratio);
    if (at && isVisible())
        place();
}

void PixelReadout::place()
{
    const QWidget* picture = parentWidget();
    if (!picture || !m_pointer)
        return;
    // Below and right of the pointer, or on the other side where the picture ends.
    QPoint at = m_pointer->toPoint() + QPoint(kBesidePointer, kBesidePointer);
    if (at.x() + width() > picture->width())
        at.setX(std::max(0, int(m_pointer->x()) - kBesidePointer - width()));
    if (at.y() + height() > picture->height())
        at.setY(std::max(0, int(m_pointer->y()) - kBesidePointer - height()));
    move(at);
}

} // namespace tandemo
