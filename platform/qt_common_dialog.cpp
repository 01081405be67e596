#include "platform/qt_common_dialog.h"

#include "platform/file_names.h"

#include <QFileDialog>
#include <QSettings>
#include <QWidget>

namespace tandemo {

namespace {

/// Qt's file dialog keeps its history (the last folder, the view) in the user's settings when it
/// closes. The program keeps nothing between runs: the user's Qt settings are sent to a folder
/// that can never exist, beneath a device, so the dialog neither reads nor writes any.
void keepNoDialogHistory()
{
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

} // namespace

QtCommonDialog::QtCommonDialog(QWidget* window)
    : CommonDialog(window)
    , m_window(window)
{
    keepNoDialogHistory();
}

QString QtCommonDialog::ignoringCase(const QString& pattern)
{
    // "*.avi" becomes "*.[aA][vV][iI]", which Qt's and the desktop's dialogs both understand.
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower == upper)
            result += c;
        else
            result += u'[' + QString(lower) + QString(upper) + u']';
    }
    return result;
}

QStringList QtCommonDialog::toNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = ignoringCase(pattern.trimmed());
        // Qt reads the patterns from the last parentheses; the description keeps its own text.
        nameFilters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' '));
    }
    return nameFilters;
}

void QtCommonDialog::ShowOpen()
{
    QFileDialog dialog(m_window, DialogTitle());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Like the classic open dialog, a typed name is returned even if no such file exists.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList nameFilters = toNameFilters(Filter());
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    if (!FileName().isEmpty())
        dialog.selectFile(FileName());

    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        // The dialog shows a name that is not UTF-8 with replacement characters; the file
        // itself is found again by that picture of its name.
        setFileName(recoverFileName(dialog.selectedFiles().constFirst()));
    else
        setFileName(QString());
}

} // namespace tandemo
