#pragma once

#include "analysis/video_decoder.h"
#include "compose/comparison_look.h"

#include <QImage>
#include <QString>

#include <atomic>

namespace tandemo {

/// The pictures of a file one moment after another, as a pane shows them (turned upright,
/// mirrored if asked), decoded in full outside the players.
class FrameCursor {
public:
    /// `filter`: the libavfilter chain the pane's pictures go through (empty: none).
    FrameCursor(const QString& path, bool mirrored, const std::atomic_bool& cancelled,
                const QString& filter = {});

    bool isOpen() const { return m_decoder.isOpen() && m_filtered; }
    /// Frames a second (25 when the file does not say), and seconds from start to end.
    double frameRate() const;
    double duration() const { return m_decoder.duration(); }
    /// A still picture, the same at every moment.
    bool isStill() const { return m_decoder.isStill(); }
    /// The picture showing at `seconds`: the last that starts at or before it (the first one
    /// before the first, the last one after the last); null when the file shows none.
    QImage at(double seconds);
    /// The same picture as decoded, before it is turned or mirrored: the cursor's until it moves.
    const AVFrame* frameAt(double seconds);
    /// Whether the pictures show as they are decoded (neither turned nor mirrored).
    bool showsAsDecoded() const { return m_decoder.rotation() == 0 && !m_mirrored; }

private:
    void advanceTo(double seconds);

    VideoDecoder m_decoder;
    bool m_mirrored;
    bool m_filtered = true;
    LibavFrame m_shown;
    LibavFrame m_ahead;
    bool m_ended = false;
    bool m_started = false;
    QImage m_picture;
    double m_pictureTime = -1;
};

/// How an export lays the two videos out.
enum class ExportLayout { SideBySide, Wipe, Difference, OnionSkin };

/// The layout of a name given on the command line ("side-by-side", "wipe", "difference",
/// "onion"); false for another name.
bool exportLayoutNamed(const QString& name, ExportLayout* layout);

/// One picture of an export: the two pictures side by side (the second at the first's height),
/// or laid over each other as the comparison's view lays them (the second at the first's size),
/// each with its label burned in at its top corner.
QImage composeExport(ExportLayout layout, const QImage& first, const QImage& second,
                     const ComparisonLook& look, const QString& firstLabel,
                     const QString& secondLabel);

/// How wide the second picture of a side-by-side export is: of `second`'s shape at `height`.
int sideBySideWidth(QSize second, int height);

/// The labels that composeExport() burns into a side-by-side picture of `size` whose first
/// picture is `firstWidth` wide, alone on a clear premultiplied ARGB picture.
QImage sideBySideLabels(QSize size, int firstWidth, const QString& firstLabel,
                        const QString& secondLabel);

} // namespace tandemo
