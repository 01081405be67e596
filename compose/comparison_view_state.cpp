#include "compose/comparison_view_state.h"

#include <algorithm>
#include <iterator>

namespace tandemo {

namespace {

// Changes of the flicker per second, from none (a key changes it) up.
constexpr double kFlickerRates[] = {0, 0.5, 1, 2, 4, 8};
constexpr int kFlickerRateCount = int(std::size(kFlickerRates));
constexpr double kOpacityStep = 0.1;

} // namespace

ComparisonViewState::ComparisonViewState(QObject* parent)
    : QObject(parent)
{
    connect(&m_flicker, &QTimer::timeout, this, [this] {
        m_look.flickerShowsSecond = !m_look.flickerShowsSecond;
        emit changed();
    });
}

double ComparisonViewState::flickerRate() const
{
    return kFlickerRates[m_flickerRate];
}

ExportLayout ComparisonViewState::layout() const
{
    switch (m_look.mode) {
    case ComparisonLook::Divider:
        return ExportLayout::Wipe;
    case ComparisonLook::Difference:
        return ExportLayout::Difference;
    case ComparisonLook::OnionSkin:
        return ExportLayout::OnionSkin;
    case ComparisonLook::Flicker:
        break;
    }
    return ExportLayout::SideBySide;
}

void ComparisonViewState::nextMode()
{
    setMode(ComparisonLook::Mode((m_look.mode + 1) % ComparisonLook::kModes));
}

void ComparisonViewState::setMode(ComparisonLook::Mode mode)
{
    m_look.mode = ComparisonLook::Mode(std::clamp(int(mode), 0, ComparisonLook::kModes - 1));
    startFlicker();
    emit changed();
}

void ComparisonViewState::startFlicker()
{
    m_look.flickerShowsSecond = false;
    m_flicker.stop();
    if (m_look.mode == ComparisonLook::Flicker && flickerRate() > 0)
        m_flicker.start(int(1000 / flickerRate()));
}

void ComparisonViewState::setDivider(double share)
{
    m_look.divider = std::clamp(share, 0.0, 1.0);
    emit changed();
}

void ComparisonViewState::stepGain()
{
    const auto* gains = std::begin(ComparisonLook::kGains);
    const auto* at = std::find(gains, std::end(ComparisonLook::kGains), m_look.gain);
    m_look.gain = at + 1 < std::end(ComparisonLook::kGains) ? at[1] : gains[0];
    emit changed();
}

void ComparisonViewState::adjustOverlay(int steps)
{
    if (m_look.mode == ComparisonLook::OnionSkin) {
        m_look.opacity = std::clamp(m_look.opacity + steps * kOpacityStep, 0.0, 1.0);
    } else if (m_look.mode == ComparisonLook::Flicker) {
        m_flickerRate = std::clamp(m_flickerRate + steps, 0, kFlickerRateCount - 1);
        startFlicker();
    }
    emit changed();
}

void ComparisonViewState::flickNow()
{
    if (m_look.mode == ComparisonLook::Flicker)
        m_look.flickerShowsSecond = !m_look.flickerShowsSecond;
    emit changed();
}

void ComparisonViewState::reset()
{
    m_flicker.stop();
    m_look = {};
    m_flickerRate = kFirstFlickerRate;
    emit changed();
}

} // namespace tandemo
