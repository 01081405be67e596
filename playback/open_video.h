#pragma once

#include <QLabel>
#include <QString>

#include <functional>

namespace tandemo {

/// The open dialog's filters for a player: every kind of video the engine plays, then all files.
QString videoFileFilters();

/// Asks for a video to play, with the open dialog over `parent`, and hands the ones chosen (one,
/// or several renditions of one video) to `chosen`; returns at once.
void askForVideos(QWidget& parent, const std::function<void(const QStringList&)>& chosen);

/// Asks for the name of a new video file to export a comparison to, with the save dialog over
/// `parent` (in the videos folder, named after the two files), and hands it to `chosen`; returns
/// at once.
void askForExportFile(QWidget& parent, const QString& suggested,
                      const std::function<void(const QString&)>& chosen);
/// Asks for a libavfilter chain for a pane's pictures (`current` to start from).
void askForFilterChain(QWidget& parent, const QString& current,
                       const std::function<void(const QString&)>& chosen);

/// What an empty pane says over its picture: how to fill it.
class EmptyPaneHint : public QLabel {
    Q_OBJECT
public:
    /// Covers `picture`, whatever its size, while shown.
    explicit EmptyPaneHint(QWidget& picture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tandemo
