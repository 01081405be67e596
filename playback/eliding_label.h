#pragma once

#include <QLabel>

namespace tandemo {

/// A one-line label that asks for room for its whole text but makes do with the room for a
/// shorter one, and then ends its text with "…" rather than running past its neighbours.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// The width it makes do with, in pixels.
    void setLeastWidth(int width);
    QSize minimumSizeHint() const override;
    /// Whether its text is cut to fit (or it is hidden), as it stands.
    bool isElided() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_leastWidth = 0;
};

} // namespace tandemo
