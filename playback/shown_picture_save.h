#pragma once

#include "analysis/background_run.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>

namespace tandemo {

class TransportBar;

/// Saves a picture a view shows as a new PNG, named as a saved frame of the file it shows is
/// named: encoded and written off the GUI thread (whose timers keep the loop's switch on time),
/// one at a time, each told on the view's bar.
class ShownPictureSave {
    Q_DECLARE_TR_FUNCTIONS(ShownPictureSave)
public:
    explicit ShownPictureSave(TransportBar& bar);

    /// `picture`, as the frame of `file` at `seconds` would be saved, its name marked with
    /// `kind` (the view's mode).
    void save(const QImage& picture, const QString& file, double seconds, const QString& kind);

private:
    TransportBar& m_bar;
    BackgroundRun<bool> m_save;
    QString m_saving;
};

} // namespace tandemo
