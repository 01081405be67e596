#pragma once

#include "platform/random_source.h"

#include <random>

namespace tandemo {

/// A Mersenne Twister seeded from the wall clock's seconds since midnight.
class ClockRandomSource : public RandomSource {
public:
    void seedFromTimer() override;
    double nextUniform() override;

private:
    std::mt19937 m_generator;
};

} // namespace tandemo
