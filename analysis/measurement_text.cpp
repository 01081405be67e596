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
    std::array<double, 3> planeError{};
    for (const QualitySample& sample : samples) {
        summary.meanSsim += sample.ssim;
        summary.meanMsad += sample.msad;
        for (std::size_t plane = 0; plane < 3; ++plane) {
            summary.planeSsim[plane] += sample.planeSsim[plane];
            // Not a number stays so: a picture without the plane.
            planeError[plane] += std::isinf(sample.planePsnr[plane])
                                     ? 0
                                     : std::pow(10.0, -sample.planePsnr[plane] / 10);
        }
        if (std::isfinite(sample.psnr))
            meanError += std::pow(10.0, -sample.psnr / 10);
        else
            ++summary.identical;
        if (sample.ssim < summary.worst.ssim)
            summary.worst = sample;
        if (sample.psnr < summary.worstPsnr.psnr)
            summary.worstPsnr = sample;
    }
    const auto decibelsOf = [](double error) {
        return error > 0 ? -10 * std::log10(error) : std::numeric_limits<double>::infinity();
    };
    const double count = double(samples.size());
    summary.meanSsim /= count;
    summary.meanMsad /= count;
    summary.meanPsnr = decibelsOf(meanError / count);
    for (std::size_t plane = 0; plane < 3; ++plane) {
        summary.planeSsim[plane] /= count;
        summary.planePsnr[plane] = std::isnan(planeError[plane])
                                       ? QualitySample::kNone
                                       : decibelsOf(planeError[plane] / count);
    }
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
    if (std::isnan(psnr))
        return {};
    return std::isfinite(psnr) ? QString::number(psnr, 'f', 2) : QStringLiteral("inf");
}

/// A figure to so many places; nothing where there is none (a plane the picture lacks).
QString figure(double value, int places)
{
    return std::isnan(value) ? QString() : QString::number(value, 'f', places);
}

const QString kFigureColumns =
    QStringLiteral("psnr,ssim,psnr_y,psnr_u,psnr_v,ssim_y,ssim_u,ssim_v,msad");

/// A sample's figures, in the order of kFigureColumns.
QString figuresOf(const QualitySample& sample)
{
    QStringList fields{decibels(sample.psnr), figure(sample.ssim, 6)};
    for (const double psnr : sample.planePsnr)
        fields << decibels(psnr);
    for (const double ssim : sample.planeSsim)
        fields << figure(ssim, 6);
    fields << figure(sample.msad, 6);
    return fields.join(u',');
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
    // The planes the pictures have (a grey one has luma alone).
    QStringList names, psnrs, ssims;
    for (std::size_t plane = 0; plane < 3; ++plane) {
        if (std::isnan(summary.planeSsim[plane]))
            continue;
        names << QString(QLatin1Char("YUV"[plane]));
        psnrs << decibels(summary.planePsnr[plane]);
        ssims << figure(summary.planeSsim[plane], 6);
    }
    // Pictures in RGB have their planes under other names: the MSAD alone is told of them.
    const QString msad = QStringLiteral("MSAD %1 on average\n").arg(figure(summary.meanMsad, 6));
    const QString planes = names.isEmpty() ? msad
                                           : QStringLiteral("%1: PSNR %2 dB; SSIM %3; ")
                                                     .arg(names.join(QStringLiteral(", ")),
                                                          psnrs.join(QStringLiteral(", ")),
                                                          ssims.join(QStringLiteral(", "))) +
                                                 msad;
    return QStringLiteral("SSIM %1 on average, worst %2 at frame %3 (%4 s)\n"
                          "PSNR %5 dB on average (of the mean squared error), %6 dB at the "
                          "worst frame\n")
               .arg(summary.meanSsim, 0, 'f', 6)
               .arg(summary.worst.ssim, 0, 'f', 6)
               .arg(summary.worst.frame)
               .arg(summary.worst.seconds, 0, 'f', 3)
               .arg(decibels(summary.meanPsnr), decibels(summary.worst.psnr)) +
           planes +
           QStringLiteral("%1 frame pairs compared%2, over %3 s\n")
               .arg(samples.size())
               .arg(identical)
               .arg(comparedSeconds(samples), 0, 'f', 3);
}

QString measurementsAsCsv(const QList<QualitySample>& samples)
{
    QString csv = QStringLiteral("frame,time,") + kFigureColumns + u'\n';
    for (const QualitySample& sample : samples) {
        csv += QStringLiteral("%1,%2,%3\n")
                   .arg(sample.frame)
                   .arg(sample.seconds, 0, 'f', 3)
                   .arg(figuresOf(sample));
    }
    // The summary follows as comment lines, which CSV readers can be told to pass over.
    for (const QString& line : measurementsSummary(samples).split('\n', Qt::SkipEmptyParts))
        csv += QStringLiteral("# ") + line + u'\n';
    return csv;
}

QString measurementsAsCsv(const QList<RenditionMeasurement>& renditions)
{
    QString csv = QStringLiteral("rendition,frame,time,") + kFigureColumns + u'\n';
    QString summaries;
    for (const RenditionMeasurement& rendition : renditions) {
        // The name as a CSV field: quoted, its quotes doubled.
        const QString name =
            u'"' + QFileInfo(rendition.path).fileName().replace(u'"', QLatin1String("\"\"")) + u'"';
        for (const QualitySample& sample : rendition.samples) {
            csv += QStringLiteral("%1,%2,%3,%4\n")
                       .arg(name)
                       .arg(sample.frame)
                       .arg(sample.seconds, 0, 'f', 3)
                       .arg(figuresOf(sample));
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
    // Each plane's, and the mean MSAD (none where the picture has no such plane).
    const auto number = [](double value) {
        return std::isnan(value) ? QJsonValue(QJsonValue::Null) : QJsonValue(value);
    };
    for (std::size_t plane = 0; plane < 3; ++plane) {
        const QString suffix = QStringLiteral("_") + QLatin1Char("yuv"[plane]);
        line.insert("psnr" + suffix,
                    number(std::isinf(summary.planePsnr[plane]) ? QualitySample::kNone
                                                                : summary.planePsnr[plane]));
        line.insert("ssim" + suffix, number(summary.planeSsim[plane]));
    }
    line.insert("msad", number(summary.meanMsad));
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

} // namespace tandemo
