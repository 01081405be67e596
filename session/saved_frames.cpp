#include "session/saved_frames.h"

#include "analysis/media_facts.h"
#include "engine/playback_engine.h"
#include "platform/file_names.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace tandemo {

namespace {

// The longest name of a file that the system's file systems keep, in bytes.
constexpr qsizetype kLongestName = 255;

bool isTaken(const QString& path, const QStringList& taken)
{
    return taken.contains(path) || pathExists(path);
}

/// The video's name as part of a file name: control characters become "_", and it is shortened
/// (by whole characters) so that the name with `tail` stays within what a file system keeps.
QString nameStem(const QString& video, const QString& tail)
{
    QString stem = QFileInfo(video).completeBaseName();
    for (QChar& c : stem) {
        if (c.category() == QChar::Other_Control)
            c = u'_';
    }
    const qsizetype room = kLongestName - encodeFileName(tail).size();
    while (!stem.isEmpty() && encodeFileName(stem).size() > room) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
    }
    return stem;
}

} // namespace

QString savedFramePath(const QString& folder, const QString& video, double seconds,
                       const QStringList& taken, const QString& tag)
{
    // What follows the video's name: the tag and the time.
    const QString tail =
        (tag.isEmpty() ? QString() : u' ' + tag) + QLatin1Char('-') +
        formatClockTime(seconds, QStringLiteral("h"), QStringLiteral("m"), QStringLiteral("s"));
    const QDir dir(folder);
    // Room is kept for the number of a copy, so that every copy has the same stem.
    const QString stem = nameStem(video, tail + QStringLiteral(" (99999).png"));
    QString path = dir.filePath(stem + tail + QStringLiteral(".png"));
    for (int copy = 2; isTaken(path, taken); ++copy)
        path = dir.filePath(QStringLiteral("%1%2 (%3).png").arg(stem, tail).arg(copy));
    return path;
}

QStringList saveFrames(const QList<transport::Target>& targets, const QString& folder)
{
    QStringList paths;
    for (const transport::Target& target : targets) {
        PlaybackEngine& engine = *target.engine;
        if (engine.isIdle() || engine.file().isEmpty())
            continue;
        // Without a folder to save into, the engine reports the save as failed.
        const QString path =
            folder.isEmpty()
                ? QString()
                : savedFramePath(folder, engine.file(), engine.position(), paths,
                                 engine.isMirrored() ? QStringLiteral("mirrored") : QString());
        paths << path;
        engine.saveFrame(path);
    }
    return paths;
}

} // namespace tandemo
