#include "engine/rewrite_watch.h"

#include <sys/stat.h>

namespace tandemo {

bool RewriteWatch::Stamp::operator==(const Stamp& other) const
{
    return size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
}

RewriteWatch::RewriteWatch(Descriptor descriptor, QObject* parent)
    : QObject(parent)
    , m_descriptor(std::move(descriptor))
{
    m_check.setInterval(kCheckMs);
    connect(&m_check, &QTimer::timeout, this, &RewriteWatch::check);
    m_check.start();
}

void RewriteWatch::reset()
{
    m_opened = stampNow();
    m_changed.reset();
}

std::optional<RewriteWatch::Stamp> RewriteWatch::stampNow() const
{
    // fstat of a regular file answers from the inode at once: no wait on the GUI thread.
    struct stat status {};
    const int fd = m_descriptor();
    if (fd < 0 || fstat(fd, &status) != 0)
        return std::nullopt;
    return Stamp{static_cast<long long>(status.st_size), status.st_mtim};
}

void RewriteWatch::check()
{
    const std::optional<Stamp> now = stampNow();
    if (!now || !m_opened || *now == *m_opened) {
        m_changed.reset();
        return;
    }
    // Changed: told once it has stayed the same for a whole check.
    if (m_changed && *m_changed == *now) {
        m_opened = now;
        m_changed.reset();
        emit rewritten();
        return;
    }
    m_changed = now;
}

} // namespace tandemo
