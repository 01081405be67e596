#include "fs/file_list.h"

#include "platform/failure.h"

namespace tandemo {

namespace {
constexpr char kOutOfRange[] = "Subscript out of range";
} // namespace

FileList FileList::none()
{
    return FileList(0, 0);
}

FileList::FileList(std::int32_t lowerIndex, std::int32_t upperIndex)
    : m_lower(lowerIndex)
{
    setUpperIndex(upperIndex);
}

std::size_t FileList::offsetOf(std::int32_t index) const
{
    if (index < m_lower || index > upperIndex())
        throw Failure(kOutOfRange);
    return static_cast<std::size_t>(static_cast<std::int64_t>(index) - m_lower);
}

const QString& FileList::at(std::int32_t index) const
{
    return m_names[offsetOf(index)];
}

void FileList::set(std::int32_t index, const QString& name)
{
    m_names[offsetOf(index)] = name;
}

void FileList::setUpperIndex(std::int32_t upperIndex)
{
    const std::int64_t size = static_cast<std::int64_t>(upperIndex) - m_lower + 1;
    if (size < 0)
        throw Failure(kOutOfRange);
    m_names.resize(static_cast<std::size_t>(size));
}

} // namespace tandemo
