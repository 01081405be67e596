#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace tandemo::testing {

/// A pictures folder of the test's own ("Shots" in a temporary home, not made yet), named by the
/// user's XDG settings for as long as this lives.
class OwnPicturesFolder {
public:
    OwnPicturesFolder()
    {
        QFile dirs(m_home.filePath("config/user-dirs.dirs"));
        m_valid = m_home.isValid() && QDir(m_home.path()).mkpath("config") &&
                  dirs.open(QIODevice::WriteOnly) &&
                  dirs.write("XDG_PICTURES_DIR=\"" + path().toUtf8() + "\"\n") > 0;
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
    }
    ~OwnPicturesFolder() { qunsetenv("XDG_CONFIG_HOME"); }
    OwnPicturesFolder(const OwnPicturesFolder&) = delete;
    OwnPicturesFolder& operator=(const OwnPicturesFolder&) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_home.filePath("Shots"); }
    /// The files in it, by name.
    QStringList files() const { return QDir(path()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir m_home;
    bool m_valid = false;
};

} // namespace tandemo::testing
