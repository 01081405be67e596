#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace tandemo {

/// The window's skin engine: loads a skin from a file and restyles a top-level window with it.
/// Operations that fail throw Failure.
class SkinFramework : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Loads the skin file; the second text names a section of it and may be empty.
    virtual void LoadSkin(const QString& path, const QString& section) = 0;

    /// Option flags of the engine; callers keep the bits already set.
    virtual int ApplyOptions() const = 0;
    virtual void setApplyOptions(int options) = 0;

    /// Two engine switches that the program turns on before applying a skin.
    virtual void setApplyMetrics(bool on) = 0;
    virtual void setApplyColours(bool on) = 0;

    /// Restyles the given top-level window with the loaded skin.
    virtual void ApplyWindow(QWidget& window) = 0;
};

} // namespace tandemo
