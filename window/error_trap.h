#pragma once

#include <QString>

#include <utility>

namespace tandemo {

class MessageBox;

/// The error trap of a guarded handler. The handler runs each of its statements through step()
/// with the statement's line label; a statement that fails (or anything it calls that has no
/// trap of its own) is reported in an error box naming the handler and the label, and the
/// handler goes on with its next statement. The trap stays armed for the whole handler, so
/// several failures give several boxes, in order.
class ErrorTrap {
public:
    ErrorTrap(MessageBox& box, QString location);

    /// Runs one labelled statement. Returns false when it failed (and was reported).
    template <typename Statement> bool step(int lineLabel, Statement&& statement)
    {
        QString description;
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            description = describeCurrentFailure();
        }
        // Reported outside the catch: a box that cannot be shown is not caught by this trap.
        report(lineLabel, description);
        return false;
    }

    /// Evaluates the test of a conditional. When the test itself fails, the statement after it
    /// is the first one of the conditional's body, so the body runs: the answer is then true.
    template <typename Condition> bool test(int lineLabel, Condition&& condition)
    {
        bool answer = true;
        step(lineLabel, [&] { answer = std::forward<Condition>(condition)(); });
        return answer;
    }

    const QString& location() const { return m_location; }

private:
    static QString describeCurrentFailure();
    void report(int lineLabel, const QString& description);

    MessageBox& m_box;
    QString m_location;
};

} // namespace tandemo
