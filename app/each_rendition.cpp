#include "app/each_rendition.h"

#include "analysis/sound_reader.h"
#include "analysis/video_decoder.h"
#include "app/command_run.h"
#include "platform/file_names.h"
#include "session/perform.h"
#include "session/session.h"

#include <cmath>
#include <memory>

namespace tandemo {

QString lacking(const QStringList& files, bool sound)
{
    const std::atomic_bool never{false};
    QStringList without;
    for (const QString& file : files) {
        const bool has = sound ? readSound(file, 0, 0.5, 8000, never).has_value()
                               : VideoDecoder(file, never, VideoDecoder::Detail::Rough).isOpen();
        if (!has)
            without << printableName(file);
    }
    if (without.isEmpty())
        return {};
    return QStringLiteral("%1 has no %2 that can be decoded")
        .arg(without.join(QStringLiteral(" and ")), sound ? "sound" : "video");
}

void alignEachRendition(Session& session, const CommandLine& line, CommandRun& run,
                        std::function<void(const QList<RenditionAlignment>&)> done)
{
    Comparison& comparison = session.comparison();
    Renditions& renditions = session.renditions();
    const QString by = line.alignFirstBy.isEmpty() ? line.alignBy : line.alignFirstBy;
    const bool byPicture = by == "picture";
    const QStringList files = line.files.mid(1);
    struct State {
        int next = 0;
        QList<RenditionAlignment> outcomes;
        QMetaObject::Connection finished;
        QMetaObject::Connection cancelled;
    };
    auto state = std::make_shared<State>();
    auto alignNext = std::make_shared<std::function<void()>>();
    // The search's report holds the step on; the step itself holds only the state.
    *alignNext = [&session, &renditions, byPicture, files, state, done] {
        if (state->next >= files.size()) {
            QObject::disconnect(state->finished);
            QObject::disconnect(state->cancelled);
            done(state->outcomes);
            return;
        }
        // Each from the same start: no offset carried over from the one before.
        session.link().setLinked(false);
        renditions.show(1, state->next);
        perform(session, 0,
                {byPicture ? PlayerCommand::AlignByPicture : PlayerCommand::AlignBySound});
    };
    state->cancelled = QObject::connect(&comparison, &Comparison::alignmentCancelled, &comparison,
                                        [&run] { run.end(kInterrupted); });
    state->finished = QObject::connect(
        &comparison, &Comparison::alignmentFinished, &comparison,
        [&session, &comparison, line, byPicture, files, state,
         alignNext](Comparison::Aligned outcome, double secondAhead) {
            RenditionAlignment aligned{
                outcome, std::abs(secondAhead) < 0.00005 ? 0 : secondAhead, 1, {}};
            const QString file = files.value(state->next);
            if (outcome == Comparison::Aligned::Done) {
                aligned.rate = session.link().rateOf(comparison.pane(1));
            } else if (outcome == Comparison::Aligned::NoClearMatch) {
                aligned.why = QStringLiteral("no clear match");
            } else {
                const QString why = lacking({line.files.value(0), file}, !byPicture);
                aligned.why = !why.isEmpty() ? why
                              : byPicture    ? QStringLiteral("too few pictures to compare")
                                             : QStringLiteral("too little sound to compare");
                // A file without what is asked for cannot be aligned at all.
                if (why.isEmpty())
                    aligned.outcome = Comparison::Aligned::NoClearMatch;
            }
            state->outcomes << aligned;
            ++state->next;
            // Not from inside the search's own report.
            QMetaObject::invokeMethod(
                &comparison, [alignNext] { (*alignNext)(); }, Qt::QueuedConnection);
        });
    (*alignNext)();
}

} // namespace tandemo
