#pragma once

#include "platform/common_dialog.h"

#include <QStringList>

class QWidget;

namespace tandemo {

/// The open dialog through QFileDialog, modal over the window that owns it.
class QtCommonDialog : public CommonDialog {
    Q_OBJECT
public:
    explicit QtCommonDialog(QWidget* window);

    void ShowOpen() override;

    /// Turns "description|*.a;*.b|..." into Qt name filters ("description (*.a *.b)").
    /// Extensions match whatever their letter case, as users of other desktops expect.
    static QStringList toNameFilters(const QString& filter);
    static QString ignoringCase(const QString& pattern);

private:
    QWidget* m_window;
};

} // namespace tandemo
