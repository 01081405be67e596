#pragma once

#include <QToolButton>

namespace tandemo {

/// The bar's switch of the link between the players, its state plain to see: linked, it is
/// filled with the desktop's highlight colour and shows a closed chain; unlinked, a plain button
/// with the chain open.
class LinkButton : public QToolButton {
    Q_OBJECT
public:
    explicit LinkButton(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Its state shows however it was set: clicked, or set with its signals blocked.
    void checkStateSet() override;
    void nextCheckState() override;

private:
    void showState();
};

/// The chain drawn on the button: two links through each other, or apart.
QPixmap chainPicture(bool closed, QColor colour, int size, qreal devicePixelRatio);

} // namespace tandemo
