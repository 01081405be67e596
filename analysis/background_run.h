#pragma once

#include "analysis/work_pools.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tandemo {

/// Runs one piece of work at a time on the pool for its length and reports back on the owner's
/// thread:
/// its progress (a share from 0 to 1) and its result (none when it could not be done). Starting
/// anew or cancelling drops the work under way: it is told to stop, and whatever it still
/// returns is never reported.
template <typename Result> class BackgroundRun {
public:
    using Outcome = std::optional<Result>;
    using Progress = std::function<void(double)>;
    /// The work: what it is to stop on, and where it tells its progress.
    using Work =
        std::function<Outcome(const std::atomic_bool& cancelled, const Progress& progress)>;

    BackgroundRun(WorkLength length, std::function<void(double)> progressed,
                  std::function<void(Outcome)> finished)
        : m_pool(workPool(length))
    {
        QObject::connect(&m_watcher, &QFutureWatcher<Outcome>::progressValueChanged, &m_watcher,
                         [progressed](int value) { progressed(value / double(kSteps)); });
        QObject::connect(&m_watcher, &QFutureWatcher<Outcome>::finished, &m_watcher,
                         [this, finished] {
                             // A dropped run finishes too, with nothing in it.
                             if (!m_running || m_watcher.future().resultCount() == 0)
                                 return;
                             m_running = false;
                             finished(m_watcher.result());
                         });
    }
    ~BackgroundRun() { m_cancelled->store(true); }
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    void start(Work work)
    {
        cancel();
        m_running = true;
        auto cancelled = m_cancelled;
        m_watcher.setFuture(QtConcurrent::run(
            &m_pool, [work = std::move(work), cancelled](QPromise<Outcome>& promise) {
                promise.setProgressRange(0, kSteps);
                promise.addResult(work(*cancelled, [&promise](double share) {
                    promise.setProgressValue(int(share * kSteps));
                }));
            }));
    }

    void cancel()
    {
        m_cancelled->store(true);
        m_cancelled = std::make_shared<std::atomic_bool>(false);
        m_running = false;
        m_watcher.setFuture(QFuture<Outcome>());
    }

    bool isRunning() const { return m_running; }

private:
    static constexpr int kSteps = 1000;
    QThreadPool& m_pool;
    QFutureWatcher<Outcome> m_watcher;
    std::shared_ptr<std::atomic_bool> m_cancelled = std::make_shared<std::atomic_bool>(false);
    bool m_running = false;
};

} // namespace tandemo
