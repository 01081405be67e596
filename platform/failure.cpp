#include "platform/failure.h"

#include <cerrno>
#include <cstring>

namespace tandemo {

QString describeSystemError(int errorNumber)
{
    using namespace failure_text;
    switch (errorNumber) {
    case ENOENT:
        return kFileNotFound;
    case ENOTDIR:
    case ELOOP:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kPermissionDenied;
    case EIO:
    case ENXIO:
    case ENODEV:
        return kDeviceError;
    case ENAMETOOLONG:
        return kBadFileName;
    case EMFILE:
    case ENFILE:
        return kTooManyFiles;
    case ENOMEM:
        return kOutOfMemory;
    case EOVERFLOW:
        return kOverflow;
    default:
        // Anything rarer keeps the system's own wording.
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

} // namespace tandemo
