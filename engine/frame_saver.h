#pragma once

#include "analysis/background_run.h"
#include "engine/frame_save.h"
#include "platform/regular_file.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tandemo {

/// Saves the frames of one engine, one at a time: the frame showing as the player decoded it, or,
/// where the player's decoder left out what the pane could not show, that frame decoded again in
/// full from the file outside the player, so that playing on or a change of core cannot put
/// another frame in its place. Each save is made whole before it is put in place.
class FrameSaver : public QObject {
    Q_OBJECT
public:
    /// Asks the player to write its frame showing to a file; false when it cannot be asked.
    using Screenshot = std::function<bool(const QString& stagingPath)>;
    /// What shows when a save is asked for.
    struct Showing {
        /// Nothing shows.
        bool idle = true;
        /// The file as it was opened, and where the frame showing starts in it.
        const RegularFile* file = nullptr;
        double frameStart = 0;
        bool mirrored = false;
        /// Whether the player decoded it without all of its detail.
        bool decodedInPart = false;
        /// The chains its pictures go through: the user's, and the HDR mapping (see
        /// DecodedPicture::read).
        QString filter;
        QString toneMap;
    };

    explicit FrameSaver(Screenshot screenshot, QObject* parent = nullptr);

    /// Saves the frame showing at `path` as a new PNG; saved() says how it went. Refused at once
    /// while another save is under way.
    void save(const QString& path, const Showing& showing);
    /// The player wrote the frame asked of it (or could not).
    void screenshotWritten(bool written);

signals:
    void saved(const QString& path, bool saved);
    void refused();

private:
    void finish(bool written);

    Screenshot m_screenshot;
    std::unique_ptr<FrameSave> m_save;
    BackgroundRun<bool> m_fullDecode;
};

} // namespace tandemo
