#include "analysis/measurement_text.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace tandemo {

QualitySummary summarise(const QList<QualitySample>& samples)
{
    QualitySummary summary;
    if (samples.isEmpty())
        return summary;
    summary.worst = samples.constFirst();
    summary.worstPsnr = samples.constFirst();
    // The PSNR of the mean squared error over all frame pairs, as ffmpeg's psnr filter gives
    // it: an equal pair adds no error but counts. The peak's square cancels out of the ratio.
    double meanError = 0;
    for (const QualitySample& sample : samples) {
        summary.meanSsim += sample.ssim;
        if (std::isfinite(sample.psnr))
            meanError += std::pow(10.0, -sample.psnr / 10);
        else
            ++summary.identical;
        if (sample.ssim < summary.worst.ssim)
            summary.worst = sample;
        if (sample.psnr < summary.worstPsnr.psnr)
            summary.worstPsnr = sample;
    }
    summary.meanSsim /= samples.size();
    meanError /= samples.size();
    summary.meanPsnr =
        meanError > 0 ? -10 * std::log10(meanError) : std::numeric_limits<double>::infinity();
    return summary;
}

double comparedSeconds(const QList<QualitySample>& samples)
{
    if (samples.size() < 2)
        return 0;
    const double lastFrame = samples.constLast().seconds - samples[samples.size() - 2].seconds;
    return samples.constLast().seconds - samples.constFirst().seconds + lastFrame;
}

namespace {

QString decibels(double psnr)
{
    return std::isfinite(psnr) ? QString::number(psnr, 'f', 2) : QStringLiteral("inf");
}

} // namespace

QString measurementsSummary(const QList<QualitySample>& samples)
{
    if (samples.isEmpty())
        return {};
    const QualitySummary summary = summarise(samples);
    const QString identical = summary.identical > 0
                                  ? QStringLiteral(", %1 of them identical").arg(summary.identical)
                                  : QString();
    return QStringLiteral("SSIM %1 on average, worst %2 at frame %3 (%4 s)\n"
                          "PSNR %5 dB on average (of the mean squared error), %6 dB at the "
                          "worst frame\n"
                          "%7 frame pairs compared%8, over %9 s\n")
        .arg(summary.meanSsim, 0, 'f', 6)
        .arg(summary.worst.ssim, 0, 'f', 6)
        .arg(summary.worst.frame)
        .arg(summary.worst.seconds, 0, 'f', 3)
        .arg(decibels(summary.meanPsnr), decibels(summary.worst.psnr))
        .arg(samples.size())
        .arg(identical)
        .arg(comparedSeconds(samples), 0, 'f', 3);
}

QString measurementsAsCsv(const QList<QualitySample>& samples)
{
    QString csv = QStringLiteral("frame,time,psnr,ssim\n");
    for (const QualitySample& sample : samples) {
        csv += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(sample.frame)
                   .arg(sample.seconds, 0, 'f', 3)
                   .arg(decibels(sample.psnr))
                   .arg(sample.ssim, 0, 'f', 6);
    }
    // The summary follows as comment lines, which CSV readers can be told to pass over.
    for (const QString& line : measurementsSummary(samples).split('\n', Qt::SkipEmptyParts))
        csv += QStringLiteral("# ") + line + u'\n';
    return csv;
}

QString measurementsAsCsv(const QList<RenditionMeasurement>& renditions)
{
    QString csv = QStringLiteral("rendition,frame,time,psnr,ssim\n");
    QString summaries;
    for (const RenditionMeasurement& rendition : renditions) {
        // The name as a CSV field: quoted, its quotes doubled.
        const QString name =
            u'"' + QFileInfo(rendition.path).fileName().replace(u'"', QLatin1String("\"\"")) + u'"';
        for (const QualitySample& sample : rendition.samples) {
            csv += QStringLiteral("%1,%2,%3,%4,%5\n")
                       .arg(name)
                       .arg(sample.frame)
                       .arg(sample.seconds, 0, 'f', 3)
                       .arg(decibels(sample.psnr))
                       .arg(sample.ssim, 0, 'f', 6);
        }
        summaries += QStringLiteral("# %1\n").arg(QFileInfo(rendition.path).fileName());
        const QString summary =
            rendition.compared ? measurementsSummary(rendition.samples) : rendition.why;
        for (const QString& line : summary.split('\n', Qt::SkipEmptyParts))
            summaries += QStringLiteral("#   ") + line + u'\n';
    }
    return csv + summaries;
}

QByteArray measurementAsJson(const QString& reference, const RenditionMeasurement& rendition,
                             double secondAhead, double rate)
{
    QJsonObject line{{"reference", reference}, {"file", rendition.path}};
    if (!rendition.compared || rendition.samples.isEmpty()) {
        line.insert("error",
                    rendition.compared ? QStringLiteral("no frames to compare") : rendition.why);
        return QJsonDocument(line).toJson(QJsonDocument::Compact);
    }
    const QualitySummary summary = summarise(rendition.samples);
    // JSON has no infinity: equal frames' PSNR is null, and counted as identical.
    const auto psnr = [](double value) {
        return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
    };
    line.insert("offset", secondAhead);
    line.insert("pace", rate);
    line.insert("frames", rendition.samples.size());
    line.insert("seconds", comparedSeconds(rendition.samples));
    line.insert("ssim", summary.meanSsim);
    line.insert("ssim_worst", summary.worst.ssim);
    line.insert("ssim_worst_frame", summary.worst.frame);
    line.insert("psnr", psnr(summary.meanPsnr));
    line.insert("psnr_worst", psnr(summary.worstPsnr.psnr));
    line.insert("psnr_worst_frame", summary.worstPsnr.frame);
    line.insert("identical", summary.identical);
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

} // namespace tandemo
