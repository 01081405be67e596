#pragma once

#include "playback/media_player.h"

class QLabel;

namespace tandemo {

/// A player with no video engine behind it: a black area that keeps its URL and settings and
/// says why nothing plays. It stands in when the real engine cannot be started.
class EmptyPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit EmptyPlayer(const QString& reason, QWidget* parent = nullptr);

    PlayerSettings& settings() override { return m_settings; }
    QString URL() const override { return m_url; }
    void setURL(const QString& url) override { m_url = url; }

    const PlayerControlProperties& properties() const { return m_properties; }
    QString reason() const;

private:
    PlayerSettings m_settings;
    PlayerControlProperties m_properties;
    QString m_url;
    QLabel* m_reason;
};

} // namespace tandemo
