#include "playback/empty_player.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tandemo {

EmptyPlayer::EmptyPlayer(const QString& reason, QWidget* parent)
    : MediaPlayer(parent)
    , m_reason(new QLabel(reason, this))
{
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::lightGray);
    setPalette(black);

    m_reason->setAlignment(Qt::AlignCenter);
    m_reason->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_reason);
}

QString EmptyPlayer::reason() const
{
    return m_reason->text();
}

} // namespace tandemo
