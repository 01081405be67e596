#pragma once

#include <QString>

namespace tandemo {

class MessageBox;

/// Where a guarded handler is, as its error report names it. Each text ends with one blank.
namespace error_location {
inline constexpr char kFormLoad[] = "in DuoReel2016/11/03.Form1.Form_Load ";
inline constexpr char kSampleClick[] = "in DuoReel2016/11/03.Form1.Sample_Click ";
inline constexpr char kSelect1Click[] = "in DuoReel2016/11/03.Form1.select1_click ";
inline constexpr char kSelect2Click[] = "in DuoReel2016/11/03.Form1.Select2_Click ";
} // namespace error_location

/// The text of an error report: what failed, where and at which line, and whom to tell.
QString errorReportText(const QString& description, int lineLabel, const QString& location);

/// Shows the error report in a modal warning box and returns when the user has closed it.
void ReportError(MessageBox& box, const QString& description, int lineLabel,
                 const QString& location);

} // namespace tandemo
