#include "session/player_settings.h"

#include <QStringList>

#include <algorithm>

namespace tandemo {

namespace {

const QStringList& knownModes()
{
    static const QStringList modes{"autoRewind", "loop", "showFrame", "shuffle"};
    return modes;
}

QString canonicalMode(const QString& name)
{
    for (const QString& mode : knownModes()) {
        if (mode.compare(name, Qt::CaseInsensitive) == 0)
            return mode;
    }
    return {};
}

} // namespace

PlayerSettings::PlayerSettings(QObject* parent)
    : QObject(parent)
{
    for (const QString& mode : knownModes())
        m_modes.insert(mode, false);
    m_modes["autoRewind"] = true;
}

void PlayerSettings::setMode(const QString& name, bool value)
{
    const QString mode = canonicalMode(name);
    if (mode.isEmpty())
        return;
    m_modes[mode] = value;
    emit modeChanged(mode, value);
}

bool PlayerSettings::getMode(const QString& name) const
{
    return m_modes.value(canonicalMode(name), false);
}

void PlayerSettings::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    emit volumeChanged(volume);
}

void PlayerSettings::setMute(bool mute)
{
    if (mute == m_mute)
        return;
    m_mute = mute;
    emit muteChanged(mute);
}

} // namespace tandemo
