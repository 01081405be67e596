#pragma once

#include "fakes/fake_components.h"
#include "fakes/fake_services.h"
#include "window/form1.h"

#include <QEvent>
#include <QIcon>
#include <QObject>

namespace tandemo::testing {

/// Notes the window's own changes (caption, icon, background colour) on the timeline, beside
/// what the fakes note.
class WindowWatcher : public QObject {
public:
    explicit WindowWatcher(Form1& form)
        : m_form(form)
    {
        form.installEventFilter(this);
        form.clientArea()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::WindowTitleChange:
            Timeline::note("Caption=" + m_form.windowTitle());
            break;
        case QEvent::WindowIconChange:
            if (m_form.windowIcon().cacheKey() != m_lastIcon) {
                m_lastIcon = m_form.windowIcon().cacheKey();
                Timeline::note("Icon");
            }
            break;
        case QEvent::PaletteChange:
            if (m_form.backColour().value() != m_lastBackColour) {
                m_lastBackColour = m_form.backColour().value();
                Timeline::note(QString("BackColor=%1").arg(m_lastBackColour, 0, 16));
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    Form1& m_form;
    quint32 m_lastBackColour = m_form.backColour().value();
    qint64 m_lastIcon = m_form.windowIcon().cacheKey();
};

/// The main window on fake components, with a full set of fake services: where the tests of
/// the window's handlers start.
struct FakeWindow {
    FakeComponents components;
    FakeServices fakes;
    Form1 form{components};
    WindowWatcher watcher{form};

    PlatformServices& services() { return fakes.services; }
    FakePlayer& player1() { return static_cast<FakePlayer&>(*form.MediaPlayer1()); }
    FakePlayer& player2() { return static_cast<FakePlayer&>(*form.MediaPlayer2()); }
    FakeDialog& dialog() { return static_cast<FakeDialog&>(*form.CommonDialog1()); }
    FakeSkin& skin() { return static_cast<FakeSkin&>(*form.SkinFramework1()); }
};

} // namespace tandemo::testing
