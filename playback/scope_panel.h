#pragma once

#include "analysis/background_run.h"
#include "playback/compared_player.h"
#include "session/comparison.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

namespace tandemo {

/// Over the window, in its lower right corner: the scope the comparison shows of both videos'
/// pictures, side by side, each named. The scopes are drawn off the GUI thread by libavfilter's
/// own filters: paused, of the exact frames showing, decoded in full; playing, ten times a
/// second, of the pictures the panes show, made smaller (a scope drawn while the last one is
/// still being drawn is left out). The vectorscope gets the skin-tone line. Its menu chooses the
/// scope and saves it as a picture.
class ScopePanel : public QWidget {
    Q_OBJECT
public:
    /// How often the scopes follow playing pictures, and how wide those are made first.
    static constexpr int kFollowMs = 100;
    static constexpr int kFollowedWidth = 480;

    ScopePanel(QWidget& window, Comparison& comparison,
               std::array<QPointer<ComparedPlayer>, 2> players);
    ~ScopePanel() override;

    /// The scopes drawn last, of the first and the second pane (null where none).
    const std::array<QImage, 2>& scopes() const { return m_scopes; }
    /// How many times the scopes were drawn anew.
    int updates() const { return m_updates; }
    /// Saves what the panel shows as a new PNG in the pictures folder; the file's name, or
    /// nothing when it could not be written.
    QString save();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void draw(const PixelInspector::Report& report);
    bool anyPlaying() const;
    /// Playing, the pictures shown are followed; stopped, the frames showing are read in full.
    void followWhilePlaying();
    /// The pictures the panes show now, drawn as scopes.
    void follow();
    /// Draws each pane's scope off the GUI thread, as `scopeOf` makes it.
    void startDrawing(std::function<std::optional<ScopePicture>(std::size_t pane)> scopeOf);

    QPointer<Comparison> m_comparison;
    std::array<QImage, 2> m_scopes;
    std::array<QString, 2> m_names;
    int m_updates = 0;
    BackgroundRun<std::array<QImage, 2>> m_drawing;
    std::optional<PixelInspector::Report> m_pending;
    std::array<QPointer<ComparedPlayer>, 2> m_players;
    // While playing, the pictures are followed this often; paused, a move is read once.
    QTimer m_follow;
    QTimer m_refresh;
};

} // namespace tandemo
