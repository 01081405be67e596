#include "analysis/cross_correlation.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numeric>

namespace tandemo {

namespace {

struct FftwFree {
    void operator()(void* memory) const { fftwf_free(memory); }
};
template <typename T> using FftwBuffer = std::unique_ptr<T[], FftwFree>;

template <typename T> FftwBuffer<T> allocate(std::size_t count)
{
    return FftwBuffer<T>(static_cast<T*>(fftwf_malloc(sizeof(T) * count)));
}

struct PlanFree {
    void operator()(fftwf_plan plan) const { fftwf_destroy_plan(plan); }
};
using Plan = std::unique_ptr<std::remove_pointer_t<fftwf_plan>, PlanFree>;

/// Fades the ends of a series in and out (a Tukey window), so that where an excerpt begins and
/// ends is not taken for a moment to line up: a steady tone cut off at both ends would match
/// any other excerpt cut off at the same moments.
void taper(float* series, std::size_t length)
{
    const std::size_t ramp = length / 20;
    for (std::size_t i = 0; i < ramp; ++i) {
        const auto gain = float(0.5 - 0.5 * std::cos(M_PI * double(i) / double(ramp)));
        series[i] *= gain;
        series[length - 1 - i] *= gain;
    }
}

std::size_t transformSize(std::size_t length)
{
    std::size_t size = 1;
    while (size < length)
        size *= 2;
    return size;
}

} // namespace

std::optional<Match> bestMatch(const std::vector<std::vector<float>>& first,
                               const std::vector<std::vector<float>>& second, int maxLag)
{
    const std::size_t channels = std::min(first.size(), second.size());
    std::size_t longest = 0;
    for (std::size_t c = 0; c < channels; ++c)
        longest = std::max(longest, first[c].size() + second[c].size());
    if (channels == 0 || longest < 2 || maxLag < 1)
        return std::nullopt;
    // Zero-padded past both lengths, the circular correlation holds every lag.
    const std::size_t size = transformSize(longest);
    const std::size_t bins = size / 2 + 1;
    auto samples = allocate<float>(size);
    auto spectrum = allocate<fftwf_complex>(bins);
    auto sum = allocate<fftwf_complex>(bins);
    if (!samples || !spectrum || !sum)
        return std::nullopt;
    // FFTW_ESTIMATE: a plan made at once, for a transform made once.
    const Plan forward(
        fftwf_plan_dft_r2c_1d(int(size), samples.get(), spectrum.get(), FFTW_ESTIMATE));
    const Plan backward(fftwf_plan_dft_c2r_1d(int(size), sum.get(), samples.get(), FFTW_ESTIMATE));
    if (!forward || !backward)
        return std::nullopt;
    std::fill_n(&sum[0][0], 2 * bins, 0.0f);
    auto firstSpectrum = allocate<fftwf_complex>(bins);
    if (!firstSpectrum)
        return std::nullopt;

    const auto transform = [&](const std::vector<float>& series, fftwf_complex* out) {
        const double mean =
            series.empty() ? 0 : std::accumulate(series.begin(), series.end(), 0.0) / series.size();
        std::fill_n(samples.get(), size, 0.0f);
        std::transform(series.begin(), series.end(), samples.get(),
                       [mean](float value) { return float(value - mean); });
        taper(samples.get(), series.size());
        fftwf_execute_dft_r2c(forward.get(), samples.get(), out);
    };
    for (std::size_t c = 0; c < channels; ++c) {
        transform(first[c], firstSpectrum.get());
        transform(second[c], spectrum.get());
        for (std::size_t k = 0; k < bins; ++k) {
            // conj(first) × second: its inverse peaks at the lag where second[n + lag] ≈ first[n].
            const std::complex<float> a(firstSpectrum[k][0], -firstSpectrum[k][1]);
            const std::complex<float> b(spectrum[k][0], spectrum[k][1]);
            std::complex<float> product = a * b;
            product /= std::max(std::abs(product), 1e-12f);
            sum[k][0] += product.real();
            sum[k][1] += product.imag();
        }
    }
    fftwf_execute(backward.get());

    const int reach = int(std::min<std::size_t>(std::size_t(maxLag), size / 2 - 1));
    const auto at = [&](int lag) { return double(samples[(size + lag) % size]); };
    int best = 0;
    double mean = 0, squares = 0;
    for (int lag = -reach; lag <= reach; ++lag) {
        const double value = at(lag);
        mean += value;
        squares += value * value;
        if (value > at(best))
            best = lag;
    }
    const double count = 2.0 * reach + 1;
    mean /= count;
    const double spread = std::sqrt(std::max(0.0, squares / count - mean * mean));
    // The highest peak outside the best one's own: as high, and the match is not unique (a
    // steady tone matches itself a period later as well as now).
    int lobeStart = best, lobeEnd = best;
    while (lobeStart > -reach && at(lobeStart - 1) < at(lobeStart))
        --lobeStart;
    while (lobeEnd < reach && at(lobeEnd + 1) < at(lobeEnd))
        ++lobeEnd;
    double runnerUp = mean;
    for (int lag = -reach; lag <= reach; ++lag) {
        if (lag < lobeStart || lag > lobeEnd)
            runnerUp = std::max(runnerUp, at(lag));
    }
    // A parabola through the peak and its neighbours places it between samples.
    double fraction = 0;
    if (best > -reach && best < reach) {
        const double left = at(best - 1), middle = at(best), right = at(best + 1);
        const double curve = left - 2 * middle + right;
        if (curve < 0)
            fraction = 0.5 * (left - right) / curve;
    }
    const double height = at(best) - mean;
    return Match{best + fraction, spread > 0 ? height / spread : 0,
                 runnerUp > mean ? height / (runnerUp - mean) : kUnrivalled};
}

} // namespace tandemo
