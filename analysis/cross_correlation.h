#pragma once

#include <optional>
#include <vector>

namespace tandemo {

/// Where a second series of samples best matches a first: the lag (in samples, to a fraction)
/// such that second[n + lag] ≈ first[n], and how clearly it stands out: the peak of the
/// correlation over its spread (its standard deviation across the lags searched).
struct Match {
    double lag = 0;
    double strength = 0;
    /// How far the peak stands above the next highest one outside it (both above the mean):
    /// near 1 where another lag matches as well, as for a steady tone or a repeating pattern.
    double uniqueness = 0;
};

/// The uniqueness of a peak that has no rival at all.
inline constexpr double kUnrivalled = 1e9;

/// The best lag within ±maxLag of series that may have several channels (the first's and the
/// second's channels are compared in pairs, and the correlations added). Each channel is taken
/// about its mean, and the series are whitened (the phase transform: every frequency counts
/// alike, so that a steady tone or a slow drift cannot outweigh the moments that line up).
/// Computed with FFTW. None when there is nothing to compare.
std::optional<Match> bestMatch(const std::vector<std::vector<float>>& first,
                               const std::vector<std::vector<float>>& second, int maxLag);

} // namespace tandemo
