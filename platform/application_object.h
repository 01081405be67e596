#pragma once

#include <QString>

namespace tandemo {

/// The process-wide facts of the running program.
class ApplicationObject {
public:
    virtual ~ApplicationObject() = default;

    /// The folder that holds the executable, without a trailing separator.
    virtual QString folder() const = 0;

    /// The application's title, as the desktop names the running program.
    virtual QString title() const = 0;
    virtual void setTitle(const QString& title) = 0;
};

} // namespace tandemo
