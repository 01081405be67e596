#pragma once

#include <QWidget>

#include <optional>

class QSlider;

namespace tandemo {

/// The passage a player loops, drawn as a band along its position slider. It lies over the
/// slider and lets the mouse through to it.
class PassageMark : public QWidget {
    Q_OBJECT
public:
    explicit PassageMark(QSlider& slider);

    /// The passage in the slider's own values; none hides the mark.
    void setSpan(std::optional<std::pair<int, int>> span);
    std::optional<std::pair<int, int>> span() const { return m_span; }
    /// Where a slider value is drawn along the mark, in pixels.
    int xOf(int value) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QSlider& m_slider;
    std::optional<std::pair<int, int>> m_span;
};

} // namespace tandemo
