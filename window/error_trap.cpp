#include "window/error_trap.h"

#include "platform/failure.h"
#include "window/error_report.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace tandemo {

ErrorTrap::ErrorTrap(MessageBox& box, QString location)
    : m_box(box)
    , m_location(std::move(location))
{
}

QString ErrorTrap::describeCurrentFailure()
{
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::bad_alloc&) {
        return failure_text::kOutOfMemory;
    } catch (const std::overflow_error&) {
        return failure_text::kOverflow;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void ErrorTrap::report(int lineLabel, const QString& description)
{
    ReportError(m_box, description, lineLabel, m_location);
}

} // namespace tandemo
