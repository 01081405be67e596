#pragma once

#include "analysis/background_run.h"
#include "compose/tone_map.h"
#include "session/panes.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <utility>

namespace tandemo {

/// HDR videos mapped to the standard range, the same way in every pane: each file's light read
/// in the background as it loads (once a file), its mapping put on the pane before the user's
/// filter, and one peak chosen for all (or each file's own).
class ToneMapping : public QObject {
    Q_OBJECT
public:
    /// The peaks the user can choose, in nits (0: each file's own).
    static constexpr double kPeakChoices[] = {0, 203, 500, 1000};

    explicit ToneMapping(const Panes& panes, QObject* parent = nullptr);
    ~ToneMapping() override;

    double chosenPeak() const { return m_chosenPeak; }
    /// Maps every pane with that peak from now on.
    void setChosenPeak(double nits);

    /// The mapping of a file, its light read now unless it was read before (empty: a standard
    /// video); and in words, for the facts.
    QString chainFor(const QString& file);
    QString descriptionFor(const QString& file);
    /// The peak a file's mapping assumes, in nits (0: not read, or not HDR).
    double assumedPeakOf(const QString& file) const;

signals:
    /// A pane's mapping, or the peak, changed.
    void changed();

private:
    void follow(PlaybackEngine* engine);
    void readLight(PlaybackEngine* engine);
    void apply(PlaybackEngine& engine);

    using ReadLight = std::pair<QString, HdrSignal>;

    const Panes& m_panes;
    double m_chosenPeak = 0;
    QHash<QString, HdrSignal> m_read;
    // One read at a time a pane.
    std::map<const PlaybackEngine*, std::unique_ptr<BackgroundRun<ReadLight>>> m_reading;
};

} // namespace tandemo
