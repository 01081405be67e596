#include "playback/picture_loupe.h"

#include "session/comparison.h"
#include "session/player_actions.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace tandemo {

namespace {

constexpr int kLoupeMargin = 8;
constexpr int kLoupePixels = 2 * PictureLoupe::kReach + 1;

} // namespace

PictureLoupe::PictureLoupe(QWidget& picture, PlayerActions& player)
    : QWidget(&picture)
    , m_player(player)
{
    setObjectName("pictureLoupe");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(kSide + 2, kSide + 2);
    hide();
    picture.installEventFilter(this);
    Comparison* comparison = player.comparison();
    if (!comparison)
        return;
    PixelInspector& inspector = comparison->inspector();
    connect(&inspector, &PixelInspector::loupeChanged, this, [this](bool on) {
        if (!on)
            hide();
    });
    connect(&inspector, &PixelInspector::inspected, this,
            [this, &inspector](const PixelInspector::Report& report) {
                if (inspector.isLoupeOn())
                    showAround(report);
            });
}

void PictureLoupe::showAround(const PixelInspector::Report& report)
{
    const int pane = m_player.pane();
    if (pane < 0 || pane > 1 || !report.pictures[std::size_t(pane)]) {
        hide();
        return;
    }
    const DecodedPicture& picture = *report.pictures[std::size_t(pane)];
    const bool mirrored = report.mirrored[std::size_t(pane)];
    const QSize size = picture.shownSize();
    // The pixel under the point, and those around it, each read as the pane shows it.
    const int x = int(std::floor(report.at.x() * size.width()));
    const int y = int(std::floor(report.at.y() * size.height()));
    m_inset = QImage(kSide, kSide, QImage::Format_RGB32);
    m_inset.fill(Qt::black);
    QPainter painter(&m_inset);
    for (int row = 0; row < kLoupePixels; ++row) {
        for (int column = 0; column < kLoupePixels; ++column) {
            const QPointF at((x - kReach + column + 0.5) / size.width(),
                             (y - kReach + row + 0.5) / size.height());
            if (const std::optional<PixelValues> values = picture.valuesAt(at, mirrored))
                painter.fillRect(column * kScale, row * kScale, kScale, kScale,
                                 QColor(values->red, values->green, values->blue));
        }
    }
    painter.end();
    place(report.at);
    QWidget::show();
    raise();
    update();
}

void PictureLoupe::place(QPointF at)
{
    // In the corner away from the point, the same in every pane.
    const QWidget* picture = parentWidget();
    const int left = at.x() < 0.5 ? picture->width() - width() - kLoupeMargin : kLoupeMargin;
    const int top = at.y() < 0.5 ? picture->height() - height() - kLoupeMargin : kLoupeMargin;
    move(left, top);
}

void PictureLoupe::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(1, 1, m_inset);
    // The grid between the pixels, and the pixel under the pointer ringed.
    painter.setPen(QColor(0, 0, 0, 110));
    for (int line = 1; line < kLoupePixels; ++line) {
        painter.drawLine(1 + line * kScale, 1, 1 + line * kScale, kSide);
        painter.drawLine(1, 1 + line * kScale, kSide, 1 + line * kScale);
    }
    painter.setPen(Qt::white);
    painter.drawRect(1 + kReach * kScale, 1 + kReach * kScale, kScale - 1, kScale - 1);
    painter.setPen(QColor(220, 220, 220));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

bool PictureLoupe::eventFilter(QObject* watched, QEvent* event)
{
    // Off the picture's edge no more when the picture is made smaller.
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        move(std::clamp(x(), 0, std::max(0, parentWidget()->width() - width())),
             std::clamp(y(), 0, std::max(0, parentWidget()->height() - height())));
    return QWidget::eventFilter(watched, event);
}

} // namespace tandemo
