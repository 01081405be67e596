#pragma once

#include "analysis/background_run.h"
#include "engine/playback_engine.h"

#include <QObject>
#include <QString>

namespace tandemo {

/// The libavfilter chain a pane's pictures go through before they are shown, measured, aligned,
/// read and exported: set by the user (a common one from the menu or a chain of their own) once
/// it is known to take the pane's pictures, or found (the crop of the black bars).
class PaneFilter : public QObject {
    Q_OBJECT
public:
    /// The filters of the menu: none, the black bars cropped, deinterlaced, luma only, and a
    /// chain the user writes.
    enum Kind { None, CropBlackBars, Deinterlace, LumaOnly, Custom };
    static constexpr const char* kDeinterlace = "yadif";
    static constexpr const char* kLumaOnly = "format=gray";

    explicit PaneFilter(PlaybackEngine& engine, QObject* parent = nullptr);

    /// Puts the chain on the pane (empty: none); a chain that cannot take the pane's pictures is
    /// refused with libavfilter's reason, and nothing changes.
    bool set(const QString& chain);
    /// Finds the black bars of the pane's video in the background and crops them off.
    void cropBlackBars();

signals:
    void changed(const QString& chain);
    /// Said at once: why the chain was not put on, or that there are no bars.
    void refused(const QString& why);

private:
    PlaybackEngine& m_engine;
    BackgroundRun<QString> m_search;
};

} // namespace tandemo
