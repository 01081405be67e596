#pragma once

#include "analysis/background_run.h"
#include "analysis/decoded_picture.h"
#include "engine/playback_engine.h"
#include "session/panes.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace tandemo {

/// The values of one pixel in both compared pictures at the same place of the picture: what
/// the decoder gave (luma and chroma code values) and the RGB shown, for codec and colour work.
/// The frames showing are decoded in full outside the players, in the background, and kept
/// while they show.
class PixelInspector : public QObject {
    Q_OBJECT
public:
    /// The pixel at a point of the pictures, in each pane that has a picture there.
    struct Report {
        /// The point, as a fraction of the picture's width and height from its top left.
        QPointF at;
        std::array<std::optional<PixelValues>, 2> panes;
        /// The pictures read, and whether each pane mirrors its own (for the loupe).
        std::array<std::shared_ptr<const DecodedPicture>, 2> pictures;
        std::array<bool, 2> mirrored{};
    };

    explicit PixelInspector(const Panes& panes, QObject* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    /// The loupe reads the pictures around the point as the values do.
    bool isLoupeOn() const { return m_loupe; }
    void setLoupe(bool on);
    /// The scopes read the whole pictures the same way.
    void setScopes(bool on);
    /// Whether the pictures are read at all (the values, the loupe or the scopes shown).
    bool isReading() const { return m_on || m_loupe || m_scopes; }
    /// Reads the pixel at a point of the pictures the panes show now; `inspected` tells it, at
    /// once when their frames are decoded already. Only the last point asked for is told. While
    /// frames are being decoded, newer ones are decoded after them (not instead: a playing
    /// video would otherwise never be read).
    void inspect(QPointF at);
    /// Reads the frames showing now at the last point asked for.
    void refresh() { inspect(m_at); }

signals:
    void onChanged(bool on);
    void loupeChanged(bool on);
    void inspected(const tandemo::PixelInspector::Report& report);

private:
    /// What a pane shows: its file, the moment of the frame showing, whether it is mirrored and
    /// the filter its pictures go through.
    struct Shown {
        QString file;
        double frame = 0;
        bool mirrored = false;
        QString filter;
        QString toneMap;
        bool operator==(const Shown&) const = default;
    };
    struct Decoded {
        Shown shown;
        std::shared_ptr<const DecodedPicture> picture;
    };
    using Pictures = std::array<Decoded, 2>;

    void report();

    void readingChanged();

    bool m_on = false;
    bool m_loupe = false;
    bool m_scopes = false;
    QPointF m_at;
    const Panes& m_panes;
    bool m_newerWanted = false;
    std::array<Shown, 2> m_wanted;
    Pictures m_pictures;
    BackgroundRun<Pictures> m_decode;
};

/// The report as the note beside the pointer shows it: each pane's pixel and values, and the
/// difference of the second from the first.
QString pixelReportText(const PixelInspector::Report& report);

} // namespace tandemo
