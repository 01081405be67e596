// How the wipe view shows the comparison's look, and what is saved of it.
#include "playback/wipe_view.h"

#include "compose/comparison_paint.h"
#include "platform/file_names.h"
#include "platform/pictures_folder.h"
#include "playback/picture_note.h"
#include "playback/picture_save.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "session/saved_frames.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace tandemo {

const ComparisonLook& WipeView::look() const
{
    static const ComparisonLook none;
    return m_comparison ? m_comparison->look() : none;
}

void WipeView::showLook()
{
    setCursor(look().mode == ComparisonLook::Divider ? Qt::SplitHCursor : Qt::ArrowCursor);
    const double rate = m_comparison ? m_comparison->flickerRate() : 0;
    if (const QString note = lookNote(m_lookNoted, look(), rate, m_flickerRateNoted);
        !note.isEmpty())
        m_note->say(note);
    else if (look().mode == ComparisonLook::Flicker)
        m_note->amend(flickerNote(look(), rate)); // turned by itself: the note names the one shown

    m_lookNoted = look();
    m_flickerRateNoted = rate;
    update(pictureRect());
}

void WipeView::showNames()
{
    const auto nameOf = [](VideoPlayer* player) {
        return player ? printableName(QFileInfo(player->engine().file()).fileName()) : QString();
    };
    m_firstName->setText(nameOf(m_first));
    m_secondName->setText(nameOf(m_second));
    const QRect picture = pictureRect();
    for (QLabel* name : {m_firstName, m_secondName}) {
        name->adjustSize();
        name->setMaximumWidth(std::max(40, picture.width() / 2 - 16));
        name->setVisible(!name->text().isEmpty());
        name->raise();
    }
    m_firstName->move(picture.left() + 6, picture.top() + 6);
    m_secondName->move(picture.right() - 6 - m_secondName->width(), picture.top() + 6);
    m_hideNames.start();
}

QImage WipeView::shownPicture() const
{
    const QRect picture = pictureRect();
    QImage shown((QSizeF(picture.size()) * devicePixelRatioF()).toSize(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(devicePixelRatioF());
    shown.fill(Qt::black);
    QPainter painter(&shown);
    paintPictures(painter, QRect(QPoint(0, 0), picture.size()));
    return shown;
}

void WipeView::saveShownPicture()
{
    if (!m_first || m_first->engine().file().isEmpty())
        return;
    const QString folder = picturesFolder();
    const QString path = folder.isEmpty() ? QString()
                                          : savedFramePath(folder, m_first->engine().file(),
                                                           m_first->engine().position(), {},
                                                           modeName(look().mode).toLower());
    if (m_save.isRunning()) {
        m_bar->setStatus(tr("Still saving the last picture"));
        return;
    }
    if (path.isEmpty()) {
        m_bar->setStatus(tr("Cannot save the picture"));
        return;
    }
    m_saving = path;
    m_save.start([picture = shownPicture(), path](const std::atomic_bool&, const auto&) {
        return std::optional<bool>(savePicture(picture, path));
    });
}

void WipeView::onPictureSaved(bool saved)
{
    m_bar->setStatus(saved ? tr("Saved %1").arg(printableName(m_saving))
                           : tr("Cannot save the picture"));
}

void WipeView::paintPictures(QPainter& painter, const QRect& picture) const
{
    const auto frameOf = [this](VideoPlayer* player) {
        QImage frame = player ? player->pictureFrame() : QImage();
        frame.setDevicePixelRatio(devicePixelRatioF());
        return frame;
    };
    const QRectF video =
        m_first ? shownVideoRect(picture, m_first->videoSize(), m_first->engine().view())
                : QRectF();
    paintComparison(painter, picture, frameOf(m_first), frameOf(m_second), look(), video);
}

} // namespace tandemo
