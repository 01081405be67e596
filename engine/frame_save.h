#pragma once

#include "platform/staged_file.h"

#include <QString>

namespace tandemo {

/// One frame being saved as a PNG: the engine writes it where stagingPath() says, and finish()
/// puts it at its destination once it is whole.
class FrameSave {
public:
    explicit FrameSave(const QString& destination);

    /// Whether the engine can be asked to write the file.
    bool isReady() const { return m_staged.isValid(); }
    QString stagingPath() const { return m_staged.path(); }
    QString destination() const { return m_destination; }

    /// Whether the frame was saved: the engine reports it `written`, the file it wrote is a whole
    /// PNG (a full disk leaves a short one that the engine may well report as written), and it
    /// could be placed at the destination without replacing anything. Otherwise nothing is left.
    bool finish(bool written);

private:
    QString m_destination;
    StagedFile m_staged;
};

/// Whether the file holds a whole PNG: its signature first and its closing chunk last.
bool isWholePng(const QString& path);

} // namespace tandemo
