#pragma once

#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

namespace tandemo::testing {

/// ffmpeg's own per-frame figure of a filter comparing two files (psnr_avg of `psnr`, All of
/// `ssim`), read from its stats file, over the frames both have (`shortest`; else the last of
/// the shorter repeated); none when ffmpeg fails. `inputs`: what the filter compares, a graph's
/// two ends (e.g. "[0:v]crop=320:180[a];[1:v]crop=320:180[b];[a][b]").
inline QList<double> ffmpegFigures(const QString& filter, const QString& key, const QString& first,
                                   const QString& second, const QString& inputs = "[0:v][1:v]",
                                   bool shortest = true)
{
    QTemporaryDir dir;
    const QString stats = dir.filePath("stats.log");
    QProcess ffmpeg;
    ffmpeg.start(
        "ffmpeg",
        {"-nostdin", "-loglevel", "error", "-i", first, "-i", second, "-lavfi",
         QString("%1%2=shortest=%4:stats_file=%3").arg(inputs, filter, stats, shortest ? "1" : "0"),
         "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    QFile file(stats);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<double> figures;
    const QRegularExpression figure(key + ":([0-9.inf]+)");
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (const QRegularExpressionMatch match = figure.match(QString::fromLatin1(line));
            match.hasMatch())
            figures << match.captured(1).toDouble();
    }
    return figures;
}

/// A figure ffmpeg's filter comparing two files puts on each frame (e.g. `msad`'s
/// "lavfi.msad.msad_avg"), read from what its `metadata` filter prints; none when ffmpeg fails.
inline QList<double> ffmpegFrameMetadata(const QString& filter, const QString& key,
                                         const QString& first, const QString& second)
{
    QTemporaryDir dir;
    const QString printed = dir.filePath("metadata.txt");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-nostdin", "-loglevel", "error", "-i", first, "-i", second, "-lavfi",
                  QString("[0:v][1:v]%1=shortest=1,metadata=print:file=%2").arg(filter, printed),
                  "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    QFile file(printed);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<double> figures;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key.toLatin1() + '='))
            figures << line.mid(key.size() + 1).toDouble();
    }
    return figures;
}

/// The average ffmpeg's `psnr` filter gives for two files over all frames (see ffmpegFigures),
/// as it logs it; NaN when ffmpeg fails.
inline double ffmpegAveragePsnr(const QString& first, const QString& second,
                                const QString& inputs = "[0:v][1:v]", bool shortest = true)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-hide_banner", "-i", first, "-i", second, "-lavfi",
                            inputs + "psnr=shortest=" + (shortest ? "1" : "0"), "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return qQNaN();
    const QRegularExpression average("PSNR .* average:([0-9.inf]+)");
    const QRegularExpressionMatch match =
        average.match(QString::fromUtf8(ffmpeg.readAllStandardError()));
    return match.hasMatch() ? match.captured(1).toDouble() : qQNaN();
}

} // namespace tandemo::testing
