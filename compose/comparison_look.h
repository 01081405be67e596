#pragma once

#include <QString>

namespace tandemo {

/// How the view that compares two videos lays their pictures over each other.
struct ComparisonLook {
    enum Mode {
        /// The first picture left of a divider, the second right of it.
        Divider,
        /// How far the two differ, pixel by pixel: grey where they agree, brighter the more
        /// they differ, amplified by the gain.
        Difference,
        /// The second over the first at an opacity.
        OnionSkin,
        /// One of the two, in turn.
        Flicker,
    };
    static constexpr int kModes = 4;
    static constexpr int kGains[] = {1, 4, 16};

    Mode mode = Divider;
    /// Where the divider stands, as a share of the picture's width.
    double divider = 0.5;
    int gain = 1;
    /// The second picture's opacity over the first.
    double opacity = 0.5;
    /// Which picture the flicker shows now.
    bool flickerShowsSecond = false;
};

/// A mode's name, as the menu shows it ("Onion Skin").
QString modeName(ComparisonLook::Mode mode);

} // namespace tandemo
