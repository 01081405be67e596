#pragma once

#include <QLabel>
#include <QPointF>
#include <QRect>

#include <functional>
#include <optional>

namespace tandemo {

class PlayerActions;

/// Beside the pointer over a picture (a pane's, or the wipe view's), while the comparison's
/// inspector is on: the values of the pixel under it in both videos. It tells the player whose
/// picture it is where the pointer is (so that `1` shows pixel for pixel around it) and follows
/// the picture as it changes.
class PixelReadout : public QLabel {
    Q_OBJECT
public:
    /// Over `widget`, whose picture fills `pictureArea()` (all of the widget when not given) and
    /// is `player`'s. When `tracksPointer`, it has moves with no button held reported only while
    /// the inspector is on; otherwise the widget's own setting stays.
    PixelReadout(QWidget& widget, PlayerActions& player, bool tracksPointer,
                 std::function<QRect()> pictureArea = {});

    /// Where the pointer is over the widget; none once it has left the picture.
    void pointTo(std::optional<QPointF> at);
    /// The widget whose picture it reads.
    const QWidget& picture() const { return m_picture; }

private:
    QRect pictureArea() const;
    void place();

    PlayerActions& m_player;
    /// The picture read, whose coordinates the pointer is in; the note itself is shown over the
    /// whole window, so that it is never cut at the pane's edge.
    QWidget& m_picture;
    std::function<QRect()> m_pictureArea;
    std::optional<QPointF> m_pointer;
};

} // namespace tandemo
