#pragma once

#include "analysis/background_run.h"
#include "session/comparison.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

namespace tandemo {

/// Over the window, in its lower right corner: the scope the comparison shows of both videos'
/// pictures, side by side, each named. The pictures are the frames showing decoded in full,
/// and the scopes are drawn off the GUI thread by libavfilter's own filters: paused, the exact
/// frame; playing, at most twice a second (each read decodes a frame in full). Its
/// menu chooses the scope and saves it as a picture.
class ScopePanel : public QWidget {
    Q_OBJECT
public:
    ScopePanel(QWidget& window, Comparison& comparison);
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

    QPointer<Comparison> m_comparison;
    std::array<QImage, 2> m_scopes;
    std::array<QString, 2> m_names;
    int m_updates = 0;
    BackgroundRun<std::array<QImage, 2>> m_drawing;
    std::optional<PixelInspector::Report> m_pending;
    // Playing, the frames are read again at most this often.
    QTimer m_refresh;
};

} // namespace tandemo
