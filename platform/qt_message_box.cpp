#include "platform/qt_message_box.h"

#include "platform/failure.h"

namespace tandemo {

namespace {
constexpr int kButtonBits = 0x0F;
constexpr int kIconBits = 0x70;
} // namespace

QtMessageBox::QtMessageBox(QWidget* window)
    : m_window(window)
{
}

QString QtMessageBox::displayText(const QString& prompt)
{
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QMessageBox::Icon QtMessageBox::iconFor(int style)
{
    switch (style & kIconBits) {
    case kCritical:
        return QMessageBox::Critical;
    case kQuestion:
        return QMessageBox::Question;
    case kExclamation:
        return QMessageBox::Warning;
    case kInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

void QtMessageBox::show(const QString& prompt, int style, const QString& title)
{
    // The program only ever asks for a plain OK box.
    if ((style & kButtonBits) != kOkOnly)
        throw Failure(failure_text::kInvalidCall);

    QMessageBox box(iconFor(style), title, displayText(prompt), QMessageBox::Ok, m_window);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace tandemo
