#pragma once

#include <QString>

#include <stdexcept>

namespace tandemo {

/// A failed operation of a component or platform service. Its description is the text the user
/// sees in the error report of the step that failed; it may be empty.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString())
    {
    }
    explicit Failure(const char* description)
        : std::runtime_error(description)
    {
    }

    QString description() const { return QString::fromUtf8(what()); }
};

/// Descriptions shared by the adapters, worded the way users of desktop programs know them.
namespace failure_text {
inline constexpr char kFileNotFound[] = "File not found";
inline constexpr char kPathNotFound[] = "Path not found";
inline constexpr char kPermissionDenied[] = "Permission denied";
inline constexpr char kInvalidPicture[] = "Invalid picture";
inline constexpr char kOverflow[] = "Overflow";
inline constexpr char kOutOfMemory[] = "Out of memory";
inline constexpr char kDeviceError[] = "Device I/O error";
inline constexpr char kBadFileName[] = "Bad file name or number";
inline constexpr char kTooManyFiles[] = "Too many files";
inline constexpr char kInvalidCall[] = "Invalid procedure call or argument";
inline constexpr char kUnsupportedMember[] = "Object doesn't support this property or method";
inline constexpr char kWrongArguments[] =
    "Wrong number of arguments or invalid property assignment";
} // namespace failure_text

/// The description of an operating-system error number.
QString describeSystemError(int errorNumber);

} // namespace tandemo
