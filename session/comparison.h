#pragma once

#include "analysis/alignment_search.h"
#include "analysis/quality_measure.h"
#include "compose/comparison_export.h"
#include "compose/comparison_look.h"
#include "compose/comparison_view_state.h"
#include "compose/picture_scope.h"
#include "engine/playback_engine.h"
#include "session/panes.h"
#include "session/pixel_inspector.h"
#include "session/player_command.h"
#include "session/renditions.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

namespace tandemo {

class PlayerLink;
class ToneMapping;

/// What comparing two panes' videos is made of, without widgets: whether the view that shows
/// both in one picture is on and how it lays them over each other, measuring how far they differ
/// frame by frame, lining them up by their sound or pictures, each with its progress and
/// results, and hearing one of them. Any pane may ask for any of it; views show its state and pass
/// on what the user asks. The first two panes added are the ones compared.
class Comparison : public QObject {
    Q_OBJECT
public:
    /// How an alignment ended.
    enum class Aligned { Done, NoClearMatch, NothingToCompare };
    /// How a measurement ended.
    enum class Measured { Complete, NoFrames, Unreadable, Stopped };

    /// `toneMapping`: how the files held but not showing are mapped, when they are HDR.
    Comparison(const Panes& panes, PlayerLink& link, Renditions& renditions,
               ToneMapping* toneMapping = nullptr, QObject* parent = nullptr);

    int paneOf(const PlaybackEngine* engine) const;
    /// Both panes hold a video (export and swap need two).
    bool bothHoldVideos() const;
    PlaybackEngine* pane(int index) const { return m_panes.engine(index); }
    const PlayerLink& link() const { return m_link; }
    const Renditions& renditions() const { return m_renditions; }
    /// How HDR videos are mapped to the standard range; none without a session.
    ToneMapping* toneMapping() const { return m_toneMapping; }

    /// Carries out a comparison command asked for in a pane: the view on or off, its mode, gain,
    /// onion skin or flicker, measuring (which shows the view first) and aligning. Returns
    /// whether it was one.
    bool perform(int pane, const PlayerCommand& command);

    /// The view: on, the panes are linked from the pane it was asked in and how each was zoomed
    /// and whether they were linked are kept, to be given back when it goes off.
    bool isShown() const { return m_shown; }
    void setShown(bool shown, int origin = 0);
    const ComparisonLook& look() const { return m_viewState.look(); }
    void setDivider(double share) { m_viewState.setDivider(share); }
    /// Changes of the flicker per second; 0 changes it on a key only.
    double flickerRate() const { return m_viewState.flickerRate(); }

    /// Starts measuring the first pane's video against the second's (against each rendition the
    /// second holds, the first decoded once for all), with the link's offset (each rendition's
    /// own), each as its pane shows it; or stops the measuring under way.
    void toggleMeasuring();
    bool isMeasuring() const { return m_measure.isRunning(); }
    /// The last complete measurement's figures of the rendition showing, and of each, kept until
    /// a file or the offset changes.
    QList<QualitySample> results() const;
    const QList<RenditionMeasurement>& allResults() const { return m_results; }
    /// Which of the renditions measured shows now.
    int showingRendition() const { return m_panes.showing(1); }

    /// Finds the offset at which the first two panes line up and links them with it, from the
    /// pane it was asked in. A weak match changes nothing; a new file stops it.
    void align(AlignmentSearch::By by, int origin);
    void cancelAlignment();
    bool isAligning() const { return m_alignment.isRunning(); }

    /// Whose sound is heard: one pane's alone (the others' are kept off, their own volume and
    /// mute untouched), or -1 for all.
    void setHeard(int pane);
    int heard() const { return m_heard; }

    /// Renders the comparison as a new video file: laid out as the view shows it while it is on
    /// (side by side otherwise), with the link's offset and pace, over the first pane's passage
    /// (else all that both have), with the sound heard.
    void exportTo(ExportLayout layout, const QString& destination);
    void cancelExport() { m_export.cancel(); }
    bool isExporting() const { return m_export.isRunning(); }
    /// How the view lays the pictures out now, as an export would.
    ExportLayout shownLayout() const;

    /// The values of the pixel at a point of both pictures (a fraction of the picture from its
    /// top left), while the inspector is on.
    PixelInspector& inspector() { return m_inspector; }
    void inspectAt(QPointF at);

    /// The scopes shown of both pictures (none: not shown).
    std::optional<ScopeKind> scope() const { return m_scope; }
    void setScope(std::optional<ScopeKind> kind);

    /// A pane's pictures go through another filter: figures of the pictures before would mislead.
    void filterChanged() { dropResults(); }

signals:
    void shownChanged(bool shown);
    void scopeChanged();
    void lookChanged();
    /// Measuring started, stopped or ended, or its results went.
    void measuringChanged();
    void measuringProgressed(double share);
    void measured(tandemo::Comparison::Measured outcome);
    void alignmentProgressed(double share);
    /// How the alignment ended; `secondAhead`: the offset it found, as the second pane's lead
    /// at the first one's start (the link tells the pace, for takes that drift apart).
    void alignmentFinished(tandemo::Comparison::Aligned outcome, double secondAhead);
    void alignmentCancelled();
    void heardChanged(int pane);
    /// Asked for in a pane while the view lays the pictures over each other: the one picture it
    /// shows is saved.
    void shownPictureSaveRequested();
    /// The measurements, as comma-separated values, for the clipboard.
    void measurementsCopied(const QString& csv);
    /// Asked for in a pane: the first two panes' videos are to change places.
    void sidesSwapRequested();
    /// A command that cannot be carried out as things stand, and why (said at once).
    void refused(const QString& why);
    /// Asked for in a pane: a file to export the comparison to is to be chosen there.
    void exportAsked(int pane);
    void exportProgressed(double share);
    void exportFinished(tandemo::ComparisonExport::Outcome outcome, const QString& detail);

private:
    void adjustLook(const PlayerCommand& command);
    /// Figures of other files, or of another offset, would mislead.
    void dropResults();
    void onOffsetChanged();

    ToneMapping* m_toneMapping;
    const Panes& m_panes;
    PlayerLink& m_link;
    Renditions& m_renditions;
    bool m_shown = false;
    bool m_wasLinked = false;
    QHash<const PlaybackEngine*, ViewZoom> m_views;
    ComparisonViewState m_viewState;
    QualityMeasure m_measure;
    // The renditions measured and their alignments then.
    QStringList m_measuredFiles;
    // The figures of each, named as the pane names its files.
    QList<RenditionMeasurement> m_results;
    QList<Renditions::Alignment> m_measuredAlignments;
    AlignmentSearch m_alignment;
    QPointer<PlaybackEngine> m_alignOrigin;
    int m_heard = -1;
    PixelInspector m_inspector;
    std::optional<ScopeKind> m_scope;
    ComparisonExport m_export;
};

} // namespace tandemo
