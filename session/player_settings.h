#pragma once

#include <QMap>
#include <QObject>
#include <QString>

namespace tandemo {

/// The settings object of a media player: playback modes and the values a newly created player
/// starts with. The player that owns it follows its change signals.
class PlayerSettings : public QObject {
    Q_OBJECT
public:
    explicit PlayerSettings(QObject* parent = nullptr);

    /// Switches a playback mode ("loop", "autoRewind", "showFrame", "shuffle") on or off.
    /// Mode names are matched without regard to case; an unknown name is ignored.
    virtual void setMode(const QString& name, bool value);
    bool getMode(const QString& name) const;

    bool autoStart() const { return m_autoStart; }
    void setAutoStart(bool autoStart) { m_autoStart = autoStart; }

    /// 0 to 100; values outside are clamped.
    int volume() const { return m_volume; }
    void setVolume(int volume);

    bool mute() const { return m_mute; }
    void setMute(bool mute);

    double rate() const { return m_rate; }
    int playCount() const { return m_playCount; }
    int balance() const { return m_balance; }
    bool invokeURLs() const { return m_invokeURLs; }
    QString baseURL() const { return m_baseURL; }
    QString defaultFrame() const { return m_defaultFrame; }
    bool enableErrorDialogs() const { return m_enableErrorDialogs; }

signals:
    void modeChanged(const QString& name, bool value);
    void volumeChanged(int volume);
    void muteChanged(bool mute);

private:
    QMap<QString, bool> m_modes;
    bool m_autoStart = true;
    int m_volume = 50;
    bool m_mute = false;
    double m_rate = 1.0;
    int m_playCount = 1;
    int m_balance = 0;
    bool m_invokeURLs = true;
    QString m_baseURL;
    QString m_defaultFrame;
    bool m_enableErrorDialogs = false;
};

} // namespace tandemo
