#pragma once

#include "platform/failure.h"

#include <QHash>
#include <QString>

namespace tandemo::testing {

/// Makes chosen calls of a fake fail: the n-th call (1-based) of a named operation throws a
/// Failure with the given description.
class FaultPlan {
public:
    void failOn(const QString& operation, int occurrence = 1,
                const QString& description = QStringLiteral("Injected failure"))
    {
        m_faults.insert(operation, {occurrence, description});
    }

    /// Counts a call of the operation and throws when it is the planned one.
    void check(const QString& operation)
    {
        const int count = ++m_counts[operation];
        const auto fault = m_faults.constFind(operation);
        if (fault != m_faults.constEnd() && fault->occurrence == count)
            throw Failure(fault->description);
    }

    int count(const QString& operation) const { return m_counts.value(operation); }

private:
    struct Fault {
        int occurrence;
        QString description;
    };
    QHash<QString, Fault> m_faults;
    QHash<QString, int> m_counts;
};

} // namespace tandemo::testing
