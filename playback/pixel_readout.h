#pragma once

#include <QLabel>
#include <QPointF>

#include <optional>

namespace tandemo {

class PictureGestures;
class PlayerActions;

/// Beside the pointer over a pane's picture, while the comparison's inspector is on: the values
/// of the pixel under it in both videos. It tells the player where the pointer is (so that `1`
/// shows pixel for pixel around it) and follows the picture as it changes.
class PixelReadout : public QLabel {
    Q_OBJECT
public:
    PixelReadout(QWidget& picture, PictureGestures& gestures, PlayerActions& player);

private:
    void pointTo(std::optional<QPointF> at);
    void place();

    PlayerActions& m_player;
    std::optional<QPointF> m_pointer;
};

} // namespace tandemo
