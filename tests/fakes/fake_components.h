#pragma once

#include "fakes/fault_plan.h"
#include "fakes/timeline.h"
#include "platform/common_dialog.h"
#include "playback/media_player.h"
#include "skin/skin_framework.h"
#include "window/component_factory.h"

#include <QStringList>

namespace tandemo::testing {

/// Settings whose mode changes can be made to fail.
class FakeSettings : public PlayerSettings {
public:
    explicit FakeSettings(FaultPlan& faults)
        : m_faults(faults)
    {
    }
    /// The player's name, for the timeline.
    QString owner;
    void setMode(const QString& mode, bool on) override
    {
        m_faults.check("setMode");
        Timeline::note(QString("%1 %2 %3").arg(owner, mode).arg(on));
        PlayerSettings::setMode(mode, on);
    }

private:
    FaultPlan& m_faults;
};

/// A player that remembers what it was given.
class FakePlayer : public MediaPlayer {
public:
    using MediaPlayer::MediaPlayer;

    PlayerSettings& settings() override
    {
        faults.check("settings");
        m_settings.owner = objectName();
        return m_settings;
    }
    QString URL() const override { return m_url; }
    void setURL(const QString& url) override
    {
        faults.check("setURL");
        Timeline::note(objectName() + " URL=" + url);
        m_url = url;
        urlWrites << url;
    }

    FaultPlan faults;
    QStringList urlWrites;

private:
    FakeSettings m_settings{faults};
    QString m_url;
};

/// An open dialog that "returns" a prepared answer and logs every property access.
class FakeDialog : public CommonDialog {
public:
    using CommonDialog::CommonDialog;

    QString FileName() const override
    {
        const_cast<FakeDialog*>(this)->record("FileName?");
        return CommonDialog::FileName();
    }
    void setFileName(const QString& name) override
    {
        record("FileName=" + name);
        CommonDialog::setFileName(name);
    }
    void setDialogTitle(const QString& title) override
    {
        record("DialogTitle=" + title);
        CommonDialog::setDialogTitle(title);
    }
    void setFilter(const QString& filter) override
    {
        record("Filter=" + filter);
        CommonDialog::setFilter(filter);
    }
    void ShowOpen() override
    {
        record("ShowOpen");
        ++shown;
        CommonDialog::setFileName(answer);
    }

    QString answer;
    int shown = 0;
    QStringList log;
    FaultPlan faults;

private:
    void record(const QString& entry)
    {
        log << entry;
        Timeline::note("dialog " + entry);
        faults.check(entry.section(u'=', 0, 0));
    }
};

/// A skin engine that records calls and the values they carry.
class FakeSkin : public SkinFramework {
public:
    using SkinFramework::SkinFramework;

    void LoadSkin(const QString& path, const QString& scheme) override
    {
        record("LoadSkin " + path + " [" + scheme + "]");
    }
    std::int32_t Options() const override { return options; }
    void setOptions(std::int32_t value) override
    {
        record(QString("Options=%1").arg(value));
        options = value;
    }
    bool SkinDialogs() const override { return dialogs; }
    void setSkinDialogs(bool on) override
    {
        record(QString("SkinDialogs=%1").arg(on));
        dialogs = on;
    }
    bool SkinMenus() const override { return menus; }
    void setSkinMenus(bool on) override
    {
        record(QString("SkinMenus=%1").arg(on));
        menus = on;
    }
    void ApplyWindow(quintptr handle) override { record(QString("ApplyWindow %1").arg(handle)); }

    QStringList calls;
    std::int32_t options = 0;
    bool dialogs = false;
    bool menus = false;
    FaultPlan faults;

private:
    void record(const QString& call)
    {
        faults.check(call.section(u' ', 0, 0).section(u'=', 0, 0));
        calls << call;
        Timeline::note("skin " + call);
    }
};

class FakeComponents : public ComponentFactory {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override { return new FakePlayer(frame); }
    CommonDialog* createCommonDialog(QWidget* window) override { return new FakeDialog(window); }
    SkinFramework* createSkinFramework(QWidget* window) override { return new FakeSkin(window); }
};

} // namespace tandemo::testing
