#include "playback/saved_frames.h"

#include "platform/file_names.h"
#include "playback/media_facts.h"
#include "playback/playback_engine.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace tandemo {

namespace {

bool isTaken(const QString& path, const QStringList& taken)
{
    return taken.contains(path) || pathExists(path);
}

} // namespace

QString savedFramePath(const QString& folder, const QString& video, double seconds,
                       const QStringList& taken)
{
    const QString base =
        QFileInfo(video).completeBaseName() + QLatin1Char('-') +
        formatClockTime(seconds, QStringLiteral("h"), QStringLiteral("m"), QStringLiteral("s"));
    const QDir dir(folder);
    QString path = dir.filePath(base + QStringLiteral(".png"));
    for (int copy = 2; isTaken(path, taken); ++copy)
        path = dir.filePath(QStringLiteral("%1 (%2).png").arg(base).arg(copy));
    return path;
}

QStringList saveFrames(const QList<transport::Target>& targets, const QString& folder)
{
    QStringList paths;
    for (const transport::Target& target : targets) {
        PlaybackEngine& engine = *target.engine;
        if (engine.isIdle() || engine.file().isEmpty())
            continue;
        const QString path = savedFramePath(folder, engine.file(), engine.position(), paths);
        paths << path;
        engine.saveFrame(path);
    }
    return paths;
}

} // namespace tandemo
