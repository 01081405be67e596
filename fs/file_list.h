#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace tandemo {

/// A list of file names with a lower and an upper index, as the file helpers return it: names
/// at 1 to n, or, for no names, one empty name at index 0.
class FileList {
public:
    /// The result for no names: one empty name at index 0.
    static FileList none();

    /// Room for the indices lowerIndex to upperIndex, all empty.
    FileList(std::int32_t lowerIndex, std::int32_t upperIndex);

    std::int32_t lowerIndex() const { return m_lower; }
    std::int32_t upperIndex() const
    {
        return m_lower + static_cast<std::int32_t>(m_names.size()) - 1;
    }

    /// Throws Failure for an index outside the list.
    const QString& at(std::int32_t index) const;
    void set(std::int32_t index, const QString& name);

    /// Moves the upper index, keeping the names that remain in range.
    void setUpperIndex(std::int32_t upperIndex);

private:
    std::size_t offsetOf(std::int32_t index) const;

    std::int32_t m_lower;
    std::vector<QString> m_names;
};

} // namespace tandemo
