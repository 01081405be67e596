#pragma once

#include <QObject>
#include <QTimer>

#include <ctime>
#include <functional>
#include <optional>

namespace tandemo {

/// Watches that the file a pane plays is still what it was when opened: a file written over in
/// place (the same file, new contents) leaves the player reading old positions into new data.
/// Once its contents have changed and then stayed the same for a moment (the writer is done),
/// it says so, once for each change.
class RewriteWatch : public QObject {
    Q_OBJECT
public:
    /// The descriptor of the file watched (-1: none).
    using Descriptor = std::function<int()>;
    static constexpr int kCheckMs = 500;

    explicit RewriteWatch(Descriptor descriptor, QObject* parent = nullptr);
    /// The file as it is now is the one played (it was opened, or opened again).
    void reset();

signals:
    void rewritten();

private:
    struct Stamp {
        long long size = 0;
        timespec modified{};
        bool operator==(const Stamp& other) const;
    };
    std::optional<Stamp> stampNow() const;
    void check();

    Descriptor m_descriptor;
    QTimer m_check;
    std::optional<Stamp> m_opened;
    std::optional<Stamp> m_changed;
};

} // namespace tandemo
