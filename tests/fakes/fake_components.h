#pragma once

#include "platform/common_dialog.h"
#include "platform/skin_framework.h"
#include "playback/media_player.h"
#include "ui/component_factory.h"

#include <QStringList>

namespace tandemo::testing {

/// A player that remembers what it was given.
class FakePlayer : public MediaPlayer {
public:
    using MediaPlayer::MediaPlayer;

    PlayerSettings& settings() override { return m_settings; }
    QString URL() const override { return m_url; }
    void setURL(const QString& url) override
    {
        m_url = url;
        urlWrites << url;
    }

    QStringList urlWrites;

private:
    PlayerSettings m_settings;
    QString m_url;
};

/// An open dialog that "returns" a prepared answer.
class FakeDialog : public CommonDialog {
public:
    using CommonDialog::CommonDialog;

    void ShowOpen() override
    {
        ++shown;
        setFileName(answer);
    }

    QString answer;
    int shown = 0;
};

/// A skin engine that records calls.
class FakeSkin : public SkinFramework {
public:
    using SkinFramework::SkinFramework;

    void LoadSkin(const QString& path, const QString& section) override
    {
        calls << "LoadSkin " + path + " [" + section + "]";
    }
    int ApplyOptions() const override { return options; }
    void setApplyOptions(int value) override { options = value; }
    void setApplyMetrics(bool on) override { calls << QString("ApplyMetrics %1").arg(on); }
    void setApplyColours(bool on) override { calls << QString("ApplyColours %1").arg(on); }
    void ApplyWindow(QWidget&) override { calls << "ApplyWindow"; }

    QStringList calls;
    int options = 0;
};

class FakeComponents : public ComponentFactory {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override { return new FakePlayer(frame); }
    CommonDialog* createCommonDialog(QWidget* window) override { return new FakeDialog(window); }
    SkinFramework* createSkinFramework(QWidget* window) override { return new FakeSkin(window); }
};

} // namespace tandemo::testing
