#pragma once

#include "engine/playback_engine.h"

namespace tandemo {

/// A pane that holds a file without playing it, at its start: what a comparison needs of a pane
/// where there is no screen to play on (the command line's measuring and aligning).
class FilePane : public PlaybackEngine {
    Q_OBJECT
public:
    explicit FilePane(const QString& file, QObject* parent = nullptr);

    QString file() const override { return m_file; }
    bool isPaused() const override { return true; }
    bool isIdle() const override { return m_file.isEmpty(); }
    double position() const override { return 0; }
    double duration() const override { return 0; }
    double frameRate() const override { return 0; }
    double speed() const override { return 1; }
    QSize videoSize() const override { return {}; }
    ViewZoom view() const override { return m_view; }
    void setView(const ViewZoom& view) override { m_view = view; }

    // Nothing plays: the transport has nothing to move.
    void play() override {}
    void pause() override {}
    void stop() override {}
    void seekTo(double, bool) override {}
    void stepFrame(bool) override {}
    void setSpeed(double) override {}
    void setSpeedNudge(double) override {}
    void setPassage(std::optional<Passage> passage) override { m_passage = passage; }
    std::optional<Passage> passage() const override { return m_passage; }
    void setSilenced(bool silenced) override { m_silenced = silenced; }
    bool isSilenced() const override { return m_silenced; }
    void setMirrored(bool mirrored) override { m_mirrored = mirrored; }
    bool isMirrored() const override { return m_mirrored; }
    void switchFile(const QString& path, double) override { m_file = path; }
    void setPictureFilter(const QString& chain) override { m_filter = chain; }
    QString pictureFilter() const override { return m_filter; }
    void setToneMap(const QString& chain) override { m_toneMap = chain; }
    QString toneMap() const override { return m_toneMap; }
    /// There is no frame showing to save.
    void saveFrame(const QString& path) override { emit frameSaved(path, false); }

private:
    QString m_file;
    ViewZoom m_view;
    std::optional<Passage> m_passage;
    bool m_silenced = false;
    bool m_mirrored = false;
    QString m_filter;
    QString m_toneMap;
};

} // namespace tandemo
