#include "window/error_report.h"

#include "platform/message_box.h"
#include "resources/version.h"

namespace tandemo {

QString errorReportText(const QString& description, int lineLabel, const QString& location)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(lineLabel) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QString::fromUtf8(version::kSupportEmail);
}

void ReportError(MessageBox& box, const QString& description, int lineLabel,
                 const QString& location)
{
    box.show(errorReportText(description, lineLabel, location),
             MessageBox::kOkOnly | MessageBox::kExclamation, QStringLiteral("Application Error"));
}

} // namespace tandemo
