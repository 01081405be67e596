#pragma once

#include "fakes/fault_plan.h"
#include "fakes/timeline.h"
#include "platform/application_object.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/picture_loader.h"
#include "platform/platform_services.h"
#include "platform/posix_file_system.h"
#include "platform/process_control.h"
#include "platform/random_source.h"
#include "platform/web_launcher.h"
#include "platform/wildcard.h"

#include <QMap>
#include <QStringList>

#include <functional>

namespace tandemo::testing {

/// Records every box; can be made to fail showing one.
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        QString prompt;
        int style;
        QString title;
    };

    void show(const QString& prompt, int style, const QString& title) override
    {
        faults.check("show");
        shown.append({prompt, style, title});
        if (onShow)
            onShow();
    }

    /// The line labels of the error reports shown so far, in order.
    QList<int> labels() const
    {
        QList<int> result;
        for (const Shown& box : shown) {
            const qsizetype at = box.prompt.indexOf(QStringLiteral("at line "));
            result << box.prompt.mid(at + 8, box.prompt.indexOf(u'\r', at) - at - 8).toInt();
        }
        return result;
    }

    QList<Shown> shown;
    std::function<void()> onShow;
    FaultPlan faults;
};

/// A file system held in memory: paths of files and folders, with hidden and unreadable marks.
class FakeFileSystem : public FileSystem {
public:
    struct Entry {
        bool isFolder = false;
        bool hidden = false;
        bool unreadable = false;
    };

    void addFile(const QString& path, bool hidden = false) { entries[path] = {false, hidden}; }
    void addFolder(const QString& path, bool unreadable = false)
    {
        entries[path] = {true, false, unreadable};
    }

    QDateTime modificationTime(const QString& path) override
    {
        Timeline::note("modificationTime " + path);
        faults.check("modificationTime");
        if (!entries.contains(path))
            throw Failure("File not found");
        return QDateTime::fromSecsSinceEpoch(0);
    }

    QStringList listFiles(const QString& folder, const QString& pattern,
                          bool includeHidden) override
    {
        Timeline::note("listFiles " + folder + " " + pattern);
        faults.check("listFiles");
        QString prefix = folder;
        if (!prefix.endsWith(u'/'))
            prefix += u'/';
        const QString folderPath = prefix.chopped(1);
        if (entries.contains(folderPath) && entries[folderPath].unreadable)
            throw Failure("Permission denied");
        QStringList names;
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            if (!it.key().startsWith(prefix) || it.key().mid(prefix.size()).contains(u'/'))
                continue;
            const QString name = it.key().mid(prefix.size());
            if (it->isFolder || (it->hidden && !includeHidden) || !matchesWildcard(name, pattern))
                continue;
            names << name;
        }
        PosixFileSystem::sortLikeListing(names);
        return names;
    }

    bool openForQuery(const QString& path) override
    {
        Timeline::note("openForQuery " + path);
        faults.check("openForQuery");
        return entries.contains(path) && !entries[path].isFolder;
    }

    QMap<QString, Entry> entries;
    FaultPlan faults;
};

class FakeApplication : public ApplicationObject {
public:
    QString folder() const override
    {
        const_cast<FaultPlan&>(faults).check("folder");
        return programFolder;
    }
    QString title() const override { return m_title; }
    void setTitle(const QString& title) override
    {
        Timeline::note("App.Title=" + title);
        faults.check("setTitle");
        m_title = title;
    }

    QString programFolder = QStringLiteral("/opt/tandemo");
    FaultPlan faults;

private:
    QString m_title;
};

class FakePictureLoader : public PictureLoader {
public:
    Picture LoadPicture(const QString& path) override
    {
        Timeline::note("LoadPicture " + path);
        loaded << path;
        faults.check("LoadPicture");
        Picture picture;
        picture.image = QImage(32, 32, QImage::Format_ARGB32);
        picture.image.fill(Qt::black);
        picture.hotSpot = QPoint(5, 3);
        return picture;
    }

    QStringList loaded;
    FaultPlan faults;
};

/// Gives a prepared sequence of draws.
class FakeRandom : public RandomSource {
public:
    void seedFromTimer() override
    {
        Timeline::note("Randomize");
        ++seeded;
    }
    double nextUniform() override
    {
        Timeline::note("Rnd");
        return draw;
    }

    double draw = 0.5;
    int seeded = 0;
};

class FakeWebLauncher : public WebLauncher {
public:
    void openMinimised(const QString& address) override
    {
        Timeline::note("open " + address);
        faults.check("openMinimised");
        opened << address;
    }

    QStringList opened;
    FaultPlan faults;
};

class FakeProcess : public ProcessControl {
public:
    void endProcess() override { ++ended; }
    int ended = 0;
};

/// A full set of fake services.
struct FakeServices {
    FakeMessageBox messageBox;
    FakeFileSystem fileSystem;
    FakeApplication application;
    FakePictureLoader pictures;
    FakeRandom random;
    FakeWebLauncher web;
    FakeProcess process;
    PlatformServices services{messageBox, fileSystem, application, pictures, random, web, process};
};

} // namespace tandemo::testing
