#include "playback/graph_measure.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

using M = GraphMeasure;

std::size_t planeOf(GraphMeasure measure, GraphMeasure first)
{
    return std::size_t(int(measure) - int(first));
}

/// The measure's figure among a frame pair's, or among the averages.
double pick(GraphMeasure measure, double ssim, double psnr, double msad,
            const std::array<double, 3>& planeSsim, const std::array<double, 3>& planePsnr)
{
    switch (measure) {
    case M::Ssim:
        return ssim;
    case M::Psnr:
        return psnr;
    case M::Msad:
        return msad;
    case M::SsimY:
    case M::SsimU:
    case M::SsimV:
        return planeSsim[planeOf(measure, M::SsimY)];
    default:
        return planePsnr[planeOf(measure, M::PsnrY)];
    }
}

} // namespace

QString nameOf(GraphMeasure measure)
{
    static const char* const names[] = {"SSIM",   "PSNR",   "MSAD",   "SSIM Y", "SSIM U",
                                        "SSIM V", "PSNR Y", "PSNR U", "PSNR V"};
    return QCoreApplication::translate("tandemo::QualityGraph", names[int(measure)]);
}

bool isDecibels(GraphMeasure measure)
{
    return measure == M::Psnr || measure >= M::PsnrY;
}

double valueOf(const QualitySample& sample, GraphMeasure measure)
{
    return pick(measure, sample.ssim, sample.psnr, sample.msad, sample.planeSsim, sample.planePsnr);
}

double averageOf(const QualitySummary& summary, GraphMeasure measure)
{
    return pick(measure, summary.meanSsim, summary.meanPsnr, summary.meanMsad, summary.planeSsim,
                summary.planePsnr);
}

std::pair<double, double> scaleOf(GraphMeasure measure, double lowest, double highest)
{
    if (!std::isfinite(lowest))
        return isDecibels(measure) ? std::pair{0.0, 60.0} : std::pair{0.0, 1.0};
    if (measure == M::Msad)
        return {0.0, std::max(0.05, std::ceil(highest * 20 - 1e-9) / 20)};
    if (!isDecibels(measure))
        return {std::max(0.0, std::floor(lowest * 10 - 1e-9) / 10), 1.0};
    return {std::floor(lowest / 5) * 5, std::max(std::ceil(highest / 5) * 5, lowest + 5)};
}

} // namespace tandemo
