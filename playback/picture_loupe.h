#pragma once

#include "session/pixel_inspector.h"

#include <QImage>
#include <QWidget>

namespace tandemo {

class PlayerActions;

/// Over one pane's picture while the loupe is on: the pixels around the point under the pointer,
/// in this pane's video, magnified with a grid between them (nearest pixels, the pixel itself
/// ringed), in the corner of the pane away from the point. Every pane shows the same place of
/// its own picture at once; the picture itself stays whole. It follows the pointer and the
/// frames as they change, playing or paused.
class PictureLoupe : public QWidget {
    Q_OBJECT
public:
    /// Pixels either side of the one under the pointer, and how many screen pixels each takes.
    static constexpr int kReach = 7;
    static constexpr int kScale = 8;
    static constexpr int kSide = (2 * kReach + 1) * kScale;

    /// Over `picture`, which shows `player`'s pane.
    PictureLoupe(QWidget& picture, PlayerActions& player);

    /// The magnified pixels drawn, without the grid: each pixel a square of kScale.
    const QImage& inset() const { return m_inset; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAround(const PixelInspector::Report& report);
    void place(QPointF at);

    PlayerActions& m_player;
    QImage m_inset;
};

} // namespace tandemo
