#include "playback/pixel_readout.h"
#include "session/comparison.h"

#include "session/player_actions.h"

#include <QCursor>
#include <QFontDatabase>

namespace tandemo {

namespace {

// Away from the pointer, so that the pixel itself stays in sight.
constexpr int kBesidePointer = 16;

} // namespace

PixelReadout::PixelReadout(QWidget& widget, PlayerActions& player, bool tracksPointer,
                           std::function<QRect()> pictureArea)
    : QLabel(&widget)
    , m_player(player)
    , m_picture(widget)
    , m_pictureArea(std::move(pictureArea))
{
    setObjectName("pixelReadout");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 190); "
                                 "padding: 4px 8px; border-radius: 4px; }"));
    hide();
    Comparison* comparison = player.comparison();
    if (!comparison)
        return;
    PixelInspector& inspector = comparison->inspector();
    const auto readingChanged = [this, &widget, &inspector, tracksPointer] {
        // Moves with no button held are only reported while the pixels under them matter.
        if (tracksPointer)
            widget.setMouseTracking(inspector.isReading());
        if (!inspector.isOn())
            hide();
        if (inspector.isReading() && widget.underMouse())
            pointTo(widget.mapFromGlobal(QCursor::pos()).toPointF());
    };
    connect(&inspector, &PixelInspector::onChanged, this, readingChanged);
    connect(&inspector, &PixelInspector::loupeChanged, this, readingChanged);
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

QRect PixelReadout::pictureArea() const
{
    return m_pictureArea ? m_pictureArea() : m_picture.rect();
}

void PixelReadout::pointTo(std::optional<QPointF> at)
{
    const QRect area = pictureArea();
    if (at && !QRectF(area).contains(*at))
        at.reset();
    m_pointer = at;
    if (!at)
        hide();
    // In the screen's pixels, which a pixel-for-pixel view counts in, from the picture's corner.
    const double ratio = devicePixelRatioF();
    m_player.setPointer(at ? std::optional<QPointF>((*at - area.topLeft()) * ratio) : std::nullopt,
                        QSizeF(area.size()) * ratio);
    if (at && isVisible())
        place();
}

void PixelReadout::place()
{
    if (!m_pointer)
        return;
    // Over the window, which may have been made after the picture.
    QWidget* window = m_picture.window();
    if (parentWidget() != window) {
        const bool shown = isVisible();
        setParent(window);
        setVisible(shown);
    }
    // Below and right of the pointer, or on whichever side has room inside the window.
    const QPoint pointer = m_picture.mapTo(window, m_pointer->toPoint());
    QPoint at = pointer + QPoint(kBesidePointer, kBesidePointer);
    if (at.x() + width() > window->width())
        at.setX(std::max(0, pointer.x() - kBesidePointer - width()));
    if (at.y() + height() > window->height())
        at.setY(std::max(0, pointer.y() - kBesidePointer - height()));
    move(at);
    raise();
}

} // namespace tandemo
