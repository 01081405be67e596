#pragma once

#include "app/command_line.h"
#include "session/comparison.h"

#include <QList>

#include <functional>

namespace tandemo {

class CommandRun;
class Session;

/// How one rendition lined up with the reference, or why it did not.
struct RenditionAlignment {
    Comparison::Aligned outcome = Comparison::Aligned::NothingToCompare;
    double offset = 0;
    double rate = 1;
    QString why;
};

/// Aligns each rendition the session's second pane holds with the reference, one after another
/// (each shown in the pane in its turn, its offset and pace kept for it), then calls `done` with
/// every outcome, in the renditions' order. Cancelled with the run.
void alignEachRendition(Session& session, const CommandLine& line, CommandRun& run,
                        std::function<void(const QList<RenditionAlignment>&)> done);

/// Which of the files has no video (or sound) that can be decoded, and what it lacks.
QString lacking(const QStringList& files, bool sound);

} // namespace tandemo
