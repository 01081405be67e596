#pragma once

#include "platform/message_box.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

namespace tandemo {

/// Message boxes through QMessageBox, modal over the given window.
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* window = nullptr);

    void setWindow(QWidget* window) { m_window = window; }
    void show(const QString& prompt, int style, const QString& title) override;

    /// The prompt as the box displays it: CR LF and lone CR both break the line.
    static QString displayText(const QString& prompt);
    static QMessageBox::Icon iconFor(int style);

private:
    QPointer<QWidget> m_window;
};

} // namespace tandemo
