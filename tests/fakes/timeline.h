#pragma once

#include <QStringList>

namespace tandemo::testing {

/// One record, across all fakes, of what was done to them in which order: a test that holds a
/// Timeline sees every fake's calls in one list, so that steps that swap places show.
class Timeline {
public:
    Timeline() { s_current = this; }
    ~Timeline() { s_current = nullptr; }
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    /// Notes an event, when a test is recording.
    static void note(const QString& event)
    {
        if (s_current)
            s_current->events << event;
    }

    QStringList events;

private:
    static inline Timeline* s_current = nullptr;
};

} // namespace tandemo::testing
