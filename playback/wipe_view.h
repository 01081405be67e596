#pragma once

#include "session/comparison.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
class QPainter;

namespace tandemo {

class ComparedPlayer;
class PictureNote;
class PixelReadout;
class QualityGraph;
class ShownPictureSave;
class TransportBar;

/// Both players' videos in one picture over the area that holds them: the first player's left of
/// a divider the user drags, the second's right of it, pixel over pixel, so that a difference
/// shows at the seam; or, asked for, their difference, one over the other (an onion skin) or
/// each in turn (a flicker). The second picture is fitted onto the first's when their shapes
/// differ. It shows the comparison's measuring of how far the two differ frame by frame as a graph.
/// While it is shown the players are linked and one transport bar drives both; the wheel zooms
/// and a drag away from the divider pans, the one picture. Closing it gives the players their
/// own pictures back, as they were.
class WipeView : public QWidget {
    Q_OBJECT
public:
    /// How close to the divider a press takes hold of it, in pixels.
    static constexpr int kDividerGrip = 8;

    /// Covers the nearest widget that holds both players, and shows the comparison they share
    /// while it is on (see Comparison::setShown); gone, it gives the players their own pictures
    /// back.
    WipeView(ComparedPlayer& first, ComparedPlayer& second, Comparison& comparison);
    ~WipeView() override;
    /// Gives the players back their own pictures now and goes away once back in the event loop.
    void dismiss();

    /// Where the divider stands, as a share of the picture's width from its left.
    double divider() const { return look().divider; }
    void setDivider(double share);
    /// How the two pictures are laid over each other.
    const ComparisonLook& look() const;
    QualityGraph& graph() { return *m_graph; }
    /// The part of the view the videos are drawn in (above the transport bar).
    QRect pictureRect() const;
    TransportBar& transportBar() { return *m_bar; }
    /// Pictures drawn since the view was made.
    int picturesShown() const { return m_picturesShown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// Tab switches the renditions here, where a pane holds several.
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class Drag { None, Divider, Picture };

    int dividerX() const;
    void coverArea();
    void drawOffscreen(bool offscreen);
    /// The second picture takes the first's shape, so that both fill the same rectangle.
    void fitSecondOntoFirst();
    void restorePlayers();
    void showLook();
    /// The files' names in the top corners of the picture, for a moment.
    void showNames();
    /// The picture as shown, at the screen's resolution, and saved as a frame would be.
    QImage shownPicture() const;
    void paintPictures(QPainter& painter, const QRect& picture) const;
    void saveShownPicture();

    QPointer<QWidget> m_area;
    QPointer<ComparedPlayer> m_first;
    QPointer<ComparedPlayer> m_second;
    QPointer<Comparison> m_comparison;
    // What the last change of the look said, and the look it said it of.
    PictureNote* m_note = nullptr;
    ComparisonLook m_lookNoted;
    double m_flickerRateNoted = 0;
    // The two files' names in the top corners, while the pointer moves.
    QLabel* m_firstName = nullptr;
    QLabel* m_secondName = nullptr;
    QTimer m_hideNames;
    TransportBar* m_bar = nullptr;
    QualityGraph* m_graph = nullptr;
    PixelReadout* m_readout = nullptr;
    double m_fittedAspect = 0;
    Drag m_drag = Drag::None;
    QPointF m_dragFrom;
    int m_picturesShown = 0;
    bool m_restored = false;
    std::unique_ptr<ShownPictureSave> m_save;
};

} // namespace tandemo
