#include "analysis/media_facts.h"

#include "platform/file_names.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace tandemo {

namespace {

const QString kUnknown = QStringLiteral("\u2013");

QString frameRateText(double frameRate)
{
    if (frameRate <= 0)
        return kUnknown;
    // 29.97 and 23.976 keep their decimals; 25 and 30 show none.
    return QStringLiteral("%1 fps").arg(
        QString::number(frameRate, 'f', 3).remove(QRegularExpression(QStringLiteral("\\.?0+$"))));
}

} // namespace

QString formatClockTime(double seconds, const QString& afterHours, const QString& afterMinutes,
                        const QString& afterSeconds)
{
    const qint64 millis = std::llround(std::max(seconds, 0.0) * 1000);
    const qint64 hours = millis / 3'600'000;
    const int minutes = int(millis / 60'000 % 60);
    QString text =
        QStringLiteral("%1").arg(double(millis % 60'000) / 1000, 6, 'f', 3, QLatin1Char('0')) +
        afterSeconds;
    if (hours == 0)
        return QString::number(minutes) + afterMinutes + text;
    return QString::number(hours) + afterHours +
           QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0')) + afterMinutes + text;
}

QString formatPreciseTime(double seconds)
{
    return formatClockTime(seconds, QStringLiteral(":"), QStringLiteral(":"), QString());
}

QString describeFacts(const MediaFacts& facts)
{
    const QString size =
        facts.size.isEmpty()
            ? kUnknown
            : QStringLiteral("%1\u00d7%2").arg(facts.size.width()).arg(facts.size.height());
    const QString bitRate =
        facts.bitRate > 0 ? QStringLiteral("%1 kbit/s").arg(std::llround(facts.bitRate / 1000))
                          : kUnknown;
    // A name may hold any byte but '/': control characters are spelt out, as in the bar.
    const QStringList lines{
        printableName(QFileInfo(facts.file).fileName()),
        QStringList{size, facts.codec.isEmpty() ? kUnknown : facts.codec,
                    frameRateText(facts.frameRate), bitRate}
            .join(QStringLiteral("  ")),
        facts.frame >= 0
            ? QStringLiteral("Frame %1  %2").arg(facts.frame).arg(formatPreciseTime(facts.position))
            : formatPreciseTime(facts.position),
    };
    return (facts.mapping.isEmpty() ? lines : lines + QStringList{facts.mapping})
        .join(QLatin1Char('\n'));
}

} // namespace tandemo
