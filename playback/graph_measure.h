#pragma once

#include "analysis/measurement_text.h"

#include <QString>

#include <utility>

namespace tandemo {

/// What the graph of measured differences plots: the SSIM or PSNR of all planes, the mean
/// absolute difference, or one plane's SSIM or PSNR.
enum class GraphMeasure { Ssim, Psnr, Msad, SsimY, SsimU, SsimV, PsnrY, PsnrU, PsnrV };
constexpr int kGraphMeasures = int(GraphMeasure::PsnrV) + 1;

QString nameOf(GraphMeasure measure);
bool isDecibels(GraphMeasure measure);
/// A frame pair's figure, and the average of all, for the measure.
double valueOf(const QualitySample& sample, GraphMeasure measure);
double averageOf(const QualitySummary& summary, GraphMeasure measure);
/// The values at the plot's bottom and top for figures from `lowest` to `highest` (not finite:
/// none known): SSIM from the lowest down to a tenth, up to 1; MSAD from 0 up to the highest,
/// in twentieths; PSNR to whole 5 dB either way.
std::pair<double, double> scaleOf(GraphMeasure measure, double lowest, double highest);

} // namespace tandemo
