#pragma once

#include "compose/comparison_look.h"
#include "compose/export_frames.h"

#include <QObject>
#include <QTimer>

namespace tandemo {

/// How the view that compares two videos lays them over each other, as the user has set it:
/// the mode, the divider, the gain, the onion skin's opacity, and the flicker with its rate
/// (which turns the pictures by itself).
class ComparisonViewState : public QObject {
    Q_OBJECT
public:
    explicit ComparisonViewState(QObject* parent = nullptr);

    const ComparisonLook& look() const { return m_look; }
    /// Changes of the flicker per second; 0 changes it on a key only.
    double flickerRate() const;
    /// The export that renders what the view shows now.
    ExportLayout layout() const;

    /// The next mode, in the menu's order.
    void nextMode();
    void setMode(ComparisonLook::Mode mode);
    void setDivider(double share);
    /// The next gain of the difference, round to the first.
    void stepGain();
    /// More or less of the overlay: the onion skin's opacity, or the flicker's rate.
    void adjustOverlay(int steps);
    /// The flicker shows the other picture (the way a flicker without a rate goes on).
    void flickNow();
    /// As the view first opens.
    void reset();

signals:
    void changed();

private:
    void startFlicker();

    ComparisonLook m_look;
    int m_flickerRate = kFirstFlickerRate; // an index into the rates
    QTimer m_flicker;
    static constexpr int kFirstFlickerRate = 2;
};

} // namespace tandemo
