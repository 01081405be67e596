#include "platform/style_sheet_skin.h"

#include "platform/failure.h"

#include <QFile>
#include <QStringDecoder>
#include <QWidget>

namespace tandemo {

namespace {
// A skin is a small text file; anything larger is not one and is not read into memory.
constexpr qint64 kLargestSkin = 1024 * 1024;
} // namespace

void StyleSheetSkin::LoadSkin(const QString& path, const QString& /*section*/)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure("The skin file could not be opened: " + file.errorString().toStdString());
    if (file.size() > kLargestSkin)
        throw Failure("The skin file is too large to be a skin.");

    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        throw Failure("The skin file is not a text style sheet.");
    m_styleSheet = std::move(text);
    m_loaded = true;
}

void StyleSheetSkin::ApplyWindow(QWidget& window)
{
    if (!m_loaded)
        throw Failure("No skin has been loaded.");
    window.setStyleSheet(m_styleSheet);
}

} // namespace tandemo
