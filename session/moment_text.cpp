#include "session/moment_text.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace tandemo {

QString momentText(double seconds, std::optional<qint64> frame)
{
    const qint64 millis = std::llround(std::max(0.0, seconds) * 1000);
    QString text = QStringLiteral("%1:%2:%3.%4")
                       .arg(millis / 3600000)
                       .arg(millis / 60000 % 60, 2, 10, QChar('0'))
                       .arg(millis / 1000 % 60, 2, 10, QChar('0'))
                       .arg(millis % 1000, 3, 10, QChar('0'));
    if (frame)
        text += QStringLiteral(", frame %1").arg(*frame);
    return text;
}

std::optional<WrittenMoment> readMoment(const QString& text)
{
    static const QRegularExpression framePart(QStringLiteral("\\bframe\\s*(\\d+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression timePart(
        QStringLiteral("^(?:(\\d+):)?(?:(\\d+):)?(\\d+(?:\\.\\d*)?)\\s*s?$"));
    WrittenMoment moment;
    QString rest = text.trimmed();
    if (const QRegularExpressionMatch found = framePart.match(rest); found.hasMatch()) {
        moment.frame = found.captured(1).toLongLong();
        rest.remove(found.capturedStart(), found.capturedLength());
    }
    rest = rest.trimmed();
    while (rest.endsWith(u',') || rest.startsWith(u','))
        rest = rest.remove(rest.endsWith(u',') ? rest.size() - 1 : 0, 1).trimmed();
    if (!rest.isEmpty()) {
        const QRegularExpressionMatch found = timePart.match(rest);
        if (!found.hasMatch())
            return std::nullopt;
        // One colon: minutes and seconds; two: hours too.
        const bool hours = found.hasCaptured(2);
        const double h = hours ? found.captured(1).toDouble() : 0;
        const double m = hours ? found.captured(2).toDouble() : found.captured(1).toDouble();
        moment.seconds = h * 3600 + m * 60 + found.captured(3).toDouble();
    }
    if (!moment.seconds && !moment.frame)
        return std::nullopt;
    return moment;
}

} // namespace tandemo
