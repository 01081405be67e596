#pragma once

#include "compose/comparison_look.h"

#include <QLabel>
#include <QTimer>

namespace tandemo {

/// A short note over a picture, saying what just changed ("Difference ×4", "Mirrored"): shown
/// at the top middle of the picture, it goes after a moment. Clicks reach the picture beneath.
class PictureNote : public QLabel {
    Q_OBJECT
public:
    static constexpr int kShownMs = 1500;

    explicit PictureNote(QWidget& picture);
    /// Shows the note, placed at `top` of the picture's middle, for a moment (or as long as
    /// asked, for a longer text to be read).
    void say(const QString& text, int milliseconds = kShownMs);
    /// Says `text` instead for the rest of the moment the note shows; nothing when it is gone.
    void amend(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QTimer m_hide;
};

/// What a note says of the flicker: its rate and the picture showing now.
QString flickerNote(const ComparisonLook& look, double rate);

/// What a note says of a change of the comparison's look from `before` to `after` (its mode,
/// the difference's gain, the onion skin's share, the flicker's rate or picture), given the
/// flicker's changes a second after it; empty for none worth a note (the flicker turning by
/// itself).
QString lookNote(const ComparisonLook& before, const ComparisonLook& after, double flickerRate,
                 double flickerRateBefore);

} // namespace tandemo
