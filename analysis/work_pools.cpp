#include "analysis/work_pools.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace tandemo {

namespace {

QThreadPool* newPool(const char* name)
{
    auto* pool = new QThreadPool;
    pool->setObjectName(QLatin1String(name));
    pool->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    return pool;
}

QThreadPool* g_shortWork = nullptr;
QThreadPool* g_longWork = nullptr;

/// As the application object goes, as it waits for Qt's own pool: the owners of the work have
/// told it to stop by then.
void waitForAllWork()
{
    g_shortWork->waitForDone();
    g_longWork->waitForDone();
}

} // namespace

QThreadPool& workPool(WorkLength length)
{
    // Made on first use and never destroyed (static lifetimes end after the work's own).
    static const bool made = [] {
        g_shortWork = newPool("short work");
        g_longWork = newPool("long work");
        qAddPostRoutine(waitForAllWork);
        return true;
    }();
    Q_UNUSED(made);
    return length == WorkLength::Short ? *g_shortWork : *g_longWork;
}

} // namespace tandemo
