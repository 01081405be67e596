// The wipe view's ways of laying the two pictures over each other, and what is saved of them.
#include "playback/wipe_view.h"

#include "pair/saved_frames.h"
#include "platform/file_names.h"
#include "platform/pictures_folder.h"
#include "playback/difference_measurement.h"
#include "playback/mpv_player.h"
#include "playback/picture_save.h"
#include "playback/transport_bar.h"

#include <QPainter>

#include <algorithm>
#include <iterator>

namespace tandemo {

namespace {

// Changes of the flicker per second, from none (a key changes it) up.
constexpr double kFlickerRates[] = {0, 0.5, 1, 2, 4, 8};
constexpr int kFlickerRateCount = int(std::size(kFlickerRates));
constexpr double kOpacityStep = 0.1;

} // namespace

double WipeView::flickerRate() const
{
    return kFlickerRates[m_flickerRate];
}

void WipeView::setMode(ComparisonLook::Mode mode)
{
    m_look.mode = mode;
    m_look.flickerShowsSecond = false;
    m_flicker.stop();
    if (mode == ComparisonLook::Flicker && flickerRate() > 0)
        m_flicker.start(int(1000 / flickerRate()));
    setCursor(mode == ComparisonLook::Divider ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void WipeView::adjust(const PlayerCommand& command)
{
    switch (command.kind) {
    case PlayerCommand::SetWipeMode:
        setMode(ComparisonLook::Mode(
            command.amount < 0 ? (m_look.mode + 1) % ComparisonLook::kModes
                               : std::clamp(int(command.amount), 0, ComparisonLook::kModes - 1)));
        break;
    case PlayerCommand::StepDifferenceGain: {
        const auto* gains = std::begin(ComparisonLook::kGains);
        const auto* at = std::find(gains, std::end(ComparisonLook::kGains), m_look.gain);
        m_look.gain = at + 1 < std::end(ComparisonLook::kGains) ? at[1] : gains[0];
        break;
    }
    case PlayerCommand::AdjustOverlay:
        if (m_look.mode == ComparisonLook::OnionSkin) {
            m_look.opacity = std::clamp(m_look.opacity + command.amount * kOpacityStep, 0.0, 1.0);
        } else if (m_look.mode == ComparisonLook::Flicker) {
            m_flickerRate =
                std::clamp(m_flickerRate + int(command.amount), 0, kFlickerRateCount - 1);
            setMode(ComparisonLook::Flicker);
        }
        break;
    case PlayerCommand::FlickNow:
        if (m_look.mode == ComparisonLook::Flicker)
            m_look.flickerShowsSecond = !m_look.flickerShowsSecond;
        break;
    case PlayerCommand::MeasureDifference:
        m_measurement->toggle();
        break;
    case PlayerCommand::CopyMeasurements:
        m_measurement->copy();
        break;
    case PlayerCommand::SaveFrames:
        saveShownPicture();
        break;
    default:
        break;
    }
    publishLook();
    update();
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
                                                           modeName(m_look.mode).toLower());
    const bool saved = !path.isEmpty() && savePicture(shownPicture(), path);
    m_bar->setStatus(saved ? tr("Saved %1").arg(printableName(path))
                           : tr("Cannot save the picture"));
}

void WipeView::publishLook()
{
    for (MpvPlayer* player : {m_first.data(), m_second.data()}) {
        if (player)
            player->actions().setComparison(
                {int(m_look.mode), m_measurement->isMeasuring(), m_measurement->hasResults()});
    }
}

void WipeView::paintPictures(QPainter& painter, const QRect& picture) const
{
    const auto frameOf = [this](MpvPlayer* player) {
        QImage frame = player ? player->pictureFrame() : QImage();
        frame.setDevicePixelRatio(devicePixelRatioF());
        return frame;
    };
    paintComparison(painter, picture, frameOf(m_first), frameOf(m_second), m_look);
}

} // namespace tandemo
