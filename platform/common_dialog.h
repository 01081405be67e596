#pragma once

#include <QObject>
#include <QString>

namespace tandemo {

/// The window's file-open dialog component: set its properties, show it, read back the name.
/// The properties are virtual so that a component may check or log each access.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString FileName() const { return m_fileName; }
    virtual void setFileName(const QString& fileName) { m_fileName = fileName; }

    virtual QString DialogTitle() const { return m_dialogTitle; }
    virtual void setDialogTitle(const QString& title) { m_dialogTitle = title; }

    /// Pairs of "description|patterns" separated by "|", patterns separated by ";".
    virtual QString Filter() const { return m_filter; }
    virtual void setFilter(const QString& filter) { m_filter = filter; }

    /// Shows a modal single-file open dialog. FileName is the chosen full path afterwards, or
    /// empty when the user cancelled.
    virtual void ShowOpen() = 0;

private:
    QString m_fileName;
    QString m_dialogTitle;
    QString m_filter;
};

} // namespace tandemo
