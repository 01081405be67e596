#pragma once

#include "platform/clock_random_source.h"
#include "platform/immediate_exit.h"
#include "platform/platform_services.h"
#include "platform/posix_file_system.h"
#include "platform/qt_application_object.h"
#include "platform/qt_message_box.h"
#include "platform/qt_picture_loader.h"
#include "platform/xdg_web_launcher.h"

namespace tandemo {

/// The real platform services of a desktop session, owned in one place.
class DesktopServices {
public:
    DesktopServices() = default;
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;

    /// Message boxes are shown modal over this window.
    void setMainWindow(QWidget* window) { m_messageBox.setWindow(window); }

    PlatformServices& services() { return m_services; }

private:
    QtMessageBox m_messageBox;
    PosixFileSystem m_fileSystem;
    QtApplicationObject m_application;
    QtPictureLoader m_pictures;
    ClockRandomSource m_random;
    XdgWebLauncher m_web;
    ImmediateExit m_process;
    PlatformServices m_services{m_messageBox, m_fileSystem, m_application, m_pictures,
                                m_random,     m_web,        m_process};
};

} // namespace tandemo
