#pragma once

#include <cstdint>
#include <stdexcept>

namespace tandemo {

/// Adds to a 32-bit count; running past its range is an overflow failure, never a wrap.
inline std::int32_t checkedAdd(std::int32_t count, std::int32_t step)
{
    std::int32_t sum = 0;
    if (__builtin_add_overflow(count, step, &sum))
        throw std::overflow_error("Overflow");
    return sum;
}

} // namespace tandemo
